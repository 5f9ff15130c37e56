// SPDX-License-Identifier: MIT
// wind-sensor-sim: writes wind sensor frames to a serial line, so that the
// application can be tried without the sensor, including the faults a real
// line produces.

#include "core/sensorframe.h"
#include "serialline.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <random>
#include <stdexcept>

namespace {

volatile std::sig_atomic_t s_stopRequested = 0;

void requestStop(int)
{
    s_stopRequested = 1;
}

void installSignalHandlers()
{
    struct sigaction action
    {
    };
    action.sa_handler = requestStop;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a signal must cut a sleep short, not resume it.
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN); // a FIFO whose reader left: write() reports it
}

// Sleeps until the monotonic clock reaches deadline. Returns false when a
// stop was requested.
bool sleepUntil(const timespec &deadline)
{
    while (!s_stopRequested) {
        const int result = clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr);
        if (result == 0)
            return !s_stopRequested;
        if (result != EINTR)
            return false;
    }
    return false;
}

timespec later(timespec time, double seconds)
{
    const auto nanoseconds = static_cast<long long>(std::llround(seconds * 1e9));
    time.tv_sec += static_cast<time_t>(nanoseconds / 1000000000);
    time.tv_nsec += static_cast<long>(nanoseconds % 1000000000);
    if (time.tv_nsec >= 1000000000) {
        ++time.tv_sec;
        time.tv_nsec -= 1000000000;
    }
    return time;
}

timespec now()
{
    timespec time{};
    clock_gettime(CLOCK_MONOTONIC, &time);
    return time;
}

struct Options
{
    QString device;
    double rate = 1.0;
    double direction = 45.0;
    double speed = 3.6;
    bool walk = false;
    std::uint32_t seed = 0;
    long long count = 0;
    long long badChecksumEvery = 0;
    bool noise = false;
    long long burstEvery = 0;
    bool startInsideFrame = false;
    int delayChecksumMs = 0;
    bool lineEnd = true;
};

[[noreturn]] void badOption(const QString &message)
{
    std::fprintf(stderr, "wind-sensor-sim: %s\n", qPrintable(message));
    std::exit(2);
}

double numberOption(const QCommandLineParser &parser, const QString &name, double min, double max)
{
    bool ok = false;
    const double value = parser.value(name).toDouble(&ok);
    if (!ok || !(value >= min && value <= max))
        badOption(
            QStringLiteral("--%1 must be a number from %2 to %3").arg(name).arg(min).arg(max));
    return value;
}

long long countOption(const QCommandLineParser &parser, const QString &name)
{
    bool ok = false;
    const long long value = parser.value(name).toLongLong(&ok);
    if (!ok || value < 0)
        badOption(QStringLiteral("--%1 must be a whole number of at least 0").arg(name));
    return value;
}

Options parseOptions(const QCoreApplication &app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Writes wind sensor frames (STX, \"Q,ddd,sss.ss,M,00,\", ETX, two hexadecimal checksum\n"
        "digits, CR LF) to a serial line. Without --device it creates a pseudo-terminal,\n"
        "prints the path to open on standard output and keeps writing until interrupted.\n"
        "Frames are dropped while no one reads the pseudo-terminal."));
    parser.addHelpOption();
    parser.addOptions({
        {"device", "Write to the serial device (or file) PATH, set to 9600 baud 8N1 raw.", "PATH"},
        {"rate", "Frames per second, fractions allowed (default 1).", "N", "1"},
        {"direction", "Wind direction in degrees, 0 to 359.99 (default 45).", "DEG", "45"},
        {"speed", "Wind speed in metres per second, 0 to 999.99 (default 3.6).", "MS", "3.6"},
        {"walk", "Let direction and speed wander at random, starting from the values above."},
        {"seed", "Seed of the random walk and the noise (default: from the clock).", "N"},
        {"count", "Write N frames, then exit; 0 writes until interrupted (default 0).", "N", "0"},
        {"bad-checksum-every", "Give every Nth frame a wrong checksum.", "N", "0"},
        {"noise", "Write a few random bytes (never STX or ETX) after each frame."},
        {"burst-every",
         "Write 30 random bytes of any value, frame markers included, after every "
         "Nth frame.",
         "N", "0"},
        {"start-inside-frame", "Begin the first write in the middle of a frame's payload."},
        {"delay-checksum",
         "Write each frame up to its ETX, wait MS milliseconds, then write "
         "the checksum.",
         "MS", "0"},
        {"no-line-end", "Leave out the CR LF after the checksum."},
    });
    parser.process(app);
    if (!parser.positionalArguments().isEmpty())
        badOption(
            QStringLiteral("unexpected argument %1").arg(parser.positionalArguments().first()));

    Options options;
    options.device = parser.value("device");
    options.rate = numberOption(parser, "rate", 0.001, 1000);
    options.direction = numberOption(parser, "direction", 0, 359.99);
    options.speed = numberOption(parser, "speed", 0, 999.99);
    options.walk = parser.isSet("walk");
    options.seed = parser.isSet("seed")
        ? static_cast<std::uint32_t>(numberOption(parser, "seed", 0, 4294967295.0))
        : static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    options.count = countOption(parser, "count");
    options.badChecksumEvery = countOption(parser, "bad-checksum-every");
    options.noise = parser.isSet("noise");
    options.burstEvery = countOption(parser, "burst-every");
    options.startInsideFrame = parser.isSet("start-inside-frame");
    options.delayChecksumMs = static_cast<int>(numberOption(parser, "delay-checksum", 0, 60000));
    options.lineEnd = !parser.isSet("no-line-end");
    return options;
}

// A wind that drifts: small random steps, direction wrapping around the
// compass, speed kept within what the frame format can carry.
class RandomWalk
{
public:
    RandomWalk(double direction, double speed, std::uint32_t seed)
        : m_direction(direction)
        , m_speed(speed)
        , m_random(seed)
    { }

    void step()
    {
        std::uniform_real_distribution<double> turn(-5.0, 5.0);
        std::uniform_real_distribution<double> gust(-0.4, 0.4);
        m_direction = std::fmod(m_direction + turn(m_random) + 360.0, 360.0);
        m_speed = std::clamp(m_speed + gust(m_random), 0.0, 999.99);
    }

    double direction() const { return m_direction; }
    double speed() const { return m_speed; }
    std::mt19937 &random() { return m_random; }

private:
    double m_direction;
    double m_speed;
    std::mt19937 m_random;
};

struct FrameText
{
    QByteArray head; // STX, payload, ETX
    QByteArray tail; // checksum digits and line end
};

FrameText sensorFrame(double direction, double speed, bool badChecksum, bool lineEnd)
{
    const int degrees = static_cast<int>(std::lround(direction)) % 360;
    const QByteArray payload = QByteArray("Q,") + QByteArray::number(degrees).rightJustified(3, '0')
        + ',' + QByteArray::number(speed, 'f', 2).rightJustified(6, '0') + ",M,00,";
    int checksum = sensorChecksum(QString::fromLatin1(payload));
    if (badChecksum)
        checksum ^= 0x5A;

    FrameText frame;
    frame.head = char(SensorFrameStart.unicode()) + payload + char(SensorFrameEnd.unicode());
    frame.tail = QByteArray::number(checksum, 16).toUpper().rightJustified(2, '0');
    if (lineEnd)
        frame.tail += "\r\n";
    return frame;
}

// Line noise as a bad cable or a wrong baud rate gives it: any byte, so that
// now and then a frame whose checksum matches by chance forms in it.
QByteArray burst(std::mt19937 &random)
{
    std::uniform_int_distribution<int> byte(0, 255);
    QByteArray bytes(30, Qt::Uninitialized);
    for (char &value : bytes)
        value = char(byte(random));
    return bytes;
}

QByteArray noise(std::mt19937 &random)
{
    std::uniform_int_distribution<int> length(1, 12);
    std::uniform_int_distribution<int> byte(0, 255);
    QByteArray bytes;
    for (int n = length(random); n > 0; --n) {
        int value = byte(random);
        while (value == SensorFrameStart.unicode() || value == SensorFrameEnd.unicode())
            value = byte(random);
        bytes += char(value);
    }
    return bytes;
}

int run(const Options &options)
{
    SerialLine line = options.device.isEmpty() ? SerialLine::createPseudoTerminal()
                                               : SerialLine::openDevice(options.device);
    if (options.device.isEmpty()) {
        std::printf("%s\n", qPrintable(line.path()));
        std::fflush(stdout);
    }
    std::fprintf(stderr, "wind-sensor-sim: %g frames/s to %s, seed %u\n", options.rate,
                 qPrintable(line.path()), options.seed);

    RandomWalk wind(options.direction, options.speed, options.seed);
    const double period = 1.0 / options.rate;
    timespec next = now();
    bool anyWritten = false;
    long long framesWritten = 0;
    long long wrongChecksumsWritten = 0;
    for (long long number = 1; options.count == 0 || number <= options.count; ++number) {
        if (options.walk && number > 1)
            wind.step();
        const bool badChecksum
            = options.badChecksumEvery > 0 && number % options.badChecksumEvery == 0;
        FrameText frame = sensorFrame(wind.direction(), wind.speed(), badChecksum, options.lineEnd);
        if (options.noise)
            frame.tail += noise(wind.random());
        if (options.burstEvery > 0 && number % options.burstEvery == 0)
            frame.tail += burst(wind.random());
        // Frames are dropped while no one reads, so the cut goes into the
        // first frame that actually reaches the line.
        if (options.startInsideFrame && !anyWritten)
            frame.head = frame.head.mid(frame.head.size() / 2);

        bool written = false;
        if (options.delayChecksumMs > 0) {
            written = line.write(frame.head);
            anyWritten |= written;
            if (!sleepUntil(later(now(), options.delayChecksumMs / 1000.0)))
                break;
            written = line.write(frame.tail) && written;
        } else {
            written = line.write(frame.head + frame.tail);
        }
        anyWritten |= written;
        if (written) {
            ++framesWritten;
            wrongChecksumsWritten += badChecksum ? 1 : 0;
        }

        // Deadlines advance by whole periods so that the rate does not drift
        // with the time spent writing.
        next = later(next, period);
        if (!sleepUntil(next))
            break;
    }
    // What a reader of the line should have accepted, to compare with its log.
    std::fprintf(
        stderr,
        "wind-sensor-sim: %lld frames reached the line, %lld of them with a wrong checksum\n",
        framesWritten, wrongChecksumsWritten);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("wind-sensor-sim"));
    installSignalHandlers();
    const Options options = parseOptions(app);
    try {
        return run(options);
    } catch (const std::runtime_error &error) {
        std::fprintf(stderr, "wind-sensor-sim: %s\n", error.what());
        return 1;
    }
}
