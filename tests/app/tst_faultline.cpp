// SPDX-License-Identifier: MIT
// Faults on the serial line, end to end through QSerialPort: a
// pseudo-terminal stands in for the sensor's cable.

#include "../sensorframes.h"
#include "windowfixture.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <thread>
#include <time.h>
#include <unistd.h>

// A sanitizer's allocator keeps freed memory in quarantine, so resident
// memory says nothing about the buffer there.
#if defined(__SANITIZE_ADDRESS__)
#define WIND_SANITIZED
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer)
#define WIND_SANITIZED
#endif
#endif

namespace {

// Bytes of every value, or of every value but the frame markers.
QByteArray randomBytes(qsizetype size, quint32 seed, bool withMarkers)
{
    QRandomGenerator random(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char &byte : bytes) {
        do
            byte = static_cast<char>(random.bounded(256));
        while (!withMarkers && (byte == '\x02' || byte == '\x03'));
    }
    return bytes;
}

qint64 residentKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

double cpuMilliseconds()
{
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1000 + double(now.tv_nsec) / 1e6;
}

// The sensor's end of a pseudo-terminal. Writes never block the test's
// thread: a large stream goes out from a writer thread that gives up when
// told to stop, so a loop that stopped reading cannot hang the test.
class SensorLine
{
public:
    SensorLine()
    {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (m_master >= 0 && ::grantpt(m_master) == 0 && ::unlockpt(m_master) == 0)
            device = QString::fromLocal8Bit(::ptsname(m_master));
    }
    ~SensorLine() { pullCable(); }

    bool isOpen() const { return !device.isEmpty(); }

    // Small writes fit the terminal's buffer and go out at once.
    bool send(const QByteArray &bytes)
    {
        return writeAll(bytes, [] { return false; });
    }

    void sendInBackground(QByteArray bytes)
    {
        m_stop = false;
        m_done = false;
        m_writer = std::thread([this, bytes = std::move(bytes)] {
            writeAll(bytes, [this] { return m_stop.load(); });
            m_done = true;
        });
    }
    bool backgroundDone() const { return m_done; }
    void stopBackground()
    {
        m_stop = true;
        if (m_writer.joinable())
            m_writer.join();
    }

    // What the application has not read yet goes: the state a fresh line
    // starts in.
    void discardUnread() const
    {
        const int slave
            = ::open(device.toLocal8Bit().constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
        char scratch[4096];
        while (slave >= 0 && ::read(slave, scratch, sizeof scratch) > 0) { }
        if (slave >= 0)
            ::close(slave);
    }

    void pullCable()
    {
        stopBackground();
        if (m_master >= 0)
            ::close(m_master);
        m_master = -1;
    }

    QString device;

private:
    bool writeAll(const QByteArray &bytes, const std::function<bool()> &stop) const
    {
        qsizetype written = 0;
        while (written < bytes.size() && !stop()) {
            const ssize_t n
                = ::write(m_master, bytes.constData() + written, size_t(bytes.size() - written));
            if (n > 0) {
                written += n;
            } else if (n < 0 && errno == EAGAIN) {
                pollfd ready{m_master, POLLOUT, 0};
                ::poll(&ready, 1, 50);
            } else {
                return false;
            }
        }
        return written == bytes.size();
    }

    int m_master = -1;
    std::thread m_writer;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_done{false};
};

// A loaded main window whose serial port is the real one; the port maps to
// whatever device the test names, read again at every opening.
class LineFixture : public WindowFixture
{
public:
    LineFixture()
        : WindowFixture(settingsFile("False", "0", "0"), [this](int) { return device; })
    {
        start();
    }

    // Lets the event loop run until the condition holds or the time is up;
    // a fault then shows as a failed check rather than a hung test. The loop
    // waits for events as the application's does (QTest::qWaitFor would
    // sleep between them and starve a fast line).
    static bool waitFor(const std::function<bool()> &condition, int limitMs = 10000)
    {
        QEventLoop loop;
        QTimer check;
        QObject::connect(&check, &QTimer::timeout, &loop, [&] {
            if (condition())
                loop.quit();
        });
        check.start(5);
        QTimer::singleShot(limitMs, &loop, &QEventLoop::quit);
        if (!condition())
            loop.exec();
        return condition();
    }

    QString device;
};

} // namespace

class tst_FaultLine : public QObject
{
    Q_OBJECT

private slots:
    void cablePulledWhileFramesFlow();
    void unpluggedAdapterComesBack();
    void endlessNoiseKeepsMemoryFlat();
    void wrongBaudRateNeverHalts_data();
    void wrongBaudRateNeverHalts();
    void textLinesBetweenFramesAreSkipped_data();
    void textLinesBetweenFramesAreSkipped();
};

void tst_FaultLine::cablePulledWhileFramesFlow()
{
    LineFixture fixture;
    auto first = std::make_unique<SensorLine>();
    QVERIFY(first->isOpen());
    fixture.device = first->device;

    double angleBeforePull = 0;
    fixture.listenWhile({
        [&] { QVERIFY(first->send(sensorFrame("A,10,1"))); },
        [&] { QVERIFY(first->send(sensorFrame("A,20,2"))); },
        [&] {
            angleBeforePull = fixture.state().directionDegrees;
            // Half a frame on the line, then the cable goes.
            QVERIFY(first->send("\x02"
                                "A,30"));
            first->pullCable();
        },
    });
    QVERIFY(LineFixture::waitFor([&] { return !fixture.messages.isEmpty(); }));
    QCOMPARE(angleBeforePull, 20.0);
    // Halted, the window waits for the user: a line left open after it hung
    // up would keep waking the event loop.
    const double cpuBefore = cpuMilliseconds();
    QTest::qWait(300);
    QVERIFY2(cpuMilliseconds() - cpuBefore < 100,
             qPrintable(QStringLiteral("%1 ms of CPU in 300 ms while halted")
                            .arg(cpuMilliseconds() - cpuBefore)));
    QCOMPARE(fixture.messageTexts().size(), 1);
    QVERIFY2(fixture.messageTexts()[0].startsWith(QStringLiteral("Error ")),
             qPrintable(fixture.messageTexts()[0]));
    QVERIFY2(fixture.messageTexts()[0].contains(first->device),
             qPrintable(fixture.messageTexts()[0]));
    QVERIFY(fixture.state().listening);
    QCOMPARE(fixture.controls().listenButton->text(), QStringLiteral("Stop listening Serial Port"));
    QVERIFY(!fixture.controls().portButton->isEnabled());
    QCOMPARE(fixture.state().directionDegrees, 20.0);
    QVERIFY(!fixture.serialPort()->isOpen());

    fixture.controls().listenButton->click();
    QVERIFY(!fixture.state().listening);
    QCOMPARE(fixture.controls().listenButton->text(),
             QStringLiteral("Start Listening Serial Port"));
    QVERIFY(fixture.controls().portButton->isEnabled());

    // The device comes back under a new name, and the port is mapped to it.
    SensorLine second;
    QVERIFY(second.isOpen());
    fixture.device = second.device;
    fixture.listenWhile({[&] {
        QVERIFY(second.send(sensorFrame("A,270.5,12.5")));
    }});
    QVERIFY(LineFixture::waitFor([&] { return fixture.state().directionDegrees == 270.5; }));
    fixture.controls().listenButton->click();
    QCOMPARE(fixture.messageTexts().size(), 1);
    QVERIFY(fixture.fatalErrors.isEmpty());
    QCOMPARE(fixture.state().speedMetresPerSecond, 12.5);
    QCOMPARE(fixture.controls().compassPointReadout->text(), QStringLiteral("W"));
    QVERIFY(!fixture.state().listening);
}

// A USB adapter on a boat drops out and comes back: with Reconnect on, the
// port's name (a by-id link) leads to the new device and reading goes on
// without a click or a message, costing next to nothing while it waits.
void tst_FaultLine::unpluggedAdapterComesBack()
{
    LineFixture fixture;
    fixture.reconnect = true;
    const QString byId = fixture.folder.filePath(QStringLiteral("usb-Sensor-if00"));
    fixture.device = byId;
    auto first = std::make_unique<SensorLine>();
    QVERIFY(first->isOpen());
    QVERIFY(QFile::link(first->device, byId));

    fixture.listenWhile({[&] {
        QVERIFY(first->send(sensorFrame("A,10,1")));
    }});
    QVERIFY(LineFixture::waitFor([&] { return fixture.state().directionDegrees == 10.0; }));
    first->pullCable();
    QVERIFY(QFile::remove(byId));
    QVERIFY(LineFixture::waitFor([&] { return fixture.areReadingsStale(); }, 1000));

    const double cpuBefore = cpuMilliseconds();
    QTest::qWait(1500);
    QVERIFY2(cpuMilliseconds() - cpuBefore < 100,
             qPrintable(QStringLiteral("%1 ms of CPU in 1.5 s while waiting for the device")
                            .arg(cpuMilliseconds() - cpuBefore)));

    SensorLine second;
    QVERIFY(second.isOpen());
    QVERIFY(QFile::link(second.device, byId));
    QElapsedTimer sincePlugged;
    sincePlugged.start();
    bool shown = false;
    while (!shown && sincePlugged.elapsed() < 5000) {
        QVERIFY(second.send(sensorFrame("A,270.5,12.5")));
        shown
            = LineFixture::waitFor([&] { return fixture.state().directionDegrees == 270.5; }, 250);
    }
    QVERIFY(shown);
    qInfo("shown %lld ms after the device came back", qlonglong(sincePlugged.elapsed()));
    QVERIFY(sincePlugged.elapsed() < 3000);
    QVERIFY(!fixture.areReadingsStale());
    QVERIFY2(fixture.messageTexts().isEmpty(), qPrintable(fixture.messageTexts().join(u'\n')));
    QVERIFY(fixture.state().listening);
    fixture.controls().listenButton->click();
}

// Ten megabytes that never form a frame: the receive buffer must stay
// bounded, and the next good frame must still be seen.
void tst_FaultLine::endlessNoiseKeepsMemoryFlat()
{
    LineFixture fixture;
    SensorLine line;
    QVERIFY(line.isOpen());
    fixture.device = line.device;
    const QByteArray stream = randomBytes(10 * 1024 * 1024, 7, false) + sensorFrame("A,123.4,5.6");

    qint64 baseline = -1;
    qint64 peak = -1;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout,
                     [&peak] { peak = std::max(peak, residentKilobytes()); });
    fixture.listenWhile({[&] {
        baseline = residentKilobytes();
        sampler.start(5);
        line.sendInBackground(stream);
    }});
    QVERIFY(LineFixture::waitFor(
        [&] { return line.backgroundDone() && fixture.state().directionDegrees == 123.4; }, 30000));
    line.stopBackground();
    sampler.stop();
    const qsizetype largestBuffer = fixture.feed->link()->largestBuffer();
    fixture.controls().listenButton->click();

    QVERIFY2(fixture.messageTexts().isEmpty(), qPrintable(fixture.messageTexts().value(0)));
    QCOMPARE(fixture.state().speedMetresPerSecond, 5.6);
    QCOMPARE(fixture.controls().degreesReadout->text(), QStringLiteral("123"));
    // The buffer keeps at most one payload's worth of noise, plus one read.
    QVERIFY2(largestBuffer < 256 * 1024, qPrintable(QString::number(largestBuffer)));
    QVERIFY(baseline > 0 && peak > 0);
    qInfo("largest receive buffer %lld characters, resident memory grew by %lld kB",
          qlonglong(largestBuffer), peak - baseline);
#ifndef WIND_SANITIZED
    // An unbounded buffer would hold the ten megabytes as 20 MB of text.
    QVERIFY2(peak - baseline < 6 * 1024,
             qPrintable(QStringLiteral("resident memory grew by %1 kB").arg(peak - baseline)));
#endif
}

void tst_FaultLine::wrongBaudRateNeverHalts_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<bool>("inBackground");
    QTest::newRow("a short burst") << 1u << false;
    QTest::newRow("a long stream") << 2u << true;
}

// What a wrong baud rate gives is bytes of every value, frame markers among
// them, and now and then a frame whose checksum matches by chance. None of it
// may stop an unattended display: once the baud rate is put right, good
// frames show without a click.
void tst_FaultLine::wrongBaudRateNeverHalts()
{
    QFETCH(quint32, seed);
    QFETCH(bool, inBackground);
    LineFixture fixture;
    SensorLine line;
    QVERIFY(line.isOpen());
    fixture.device = line.device;

    const QByteArray garbled = randomBytes(inBackground ? 1024 * 1024 : 2048, seed, true);
    fixture.listenWhile({[&] {
        if (inBackground)
            line.sendInBackground(garbled);
        else
            QVERIFY(line.send(garbled));
    }});
    QVERIFY(LineFixture::waitFor([&] { return !inBackground || line.backgroundDone(); }, 30000));
    line.stopBackground();

    // The baud rate put right: the line carries good frames again.
    QVERIFY(line.send(sensorFrame("A,45,3")));
    QVERIFY(LineFixture::waitFor([&] { return fixture.state().directionDegrees == 45.0; }));
    QVERIFY2(fixture.messageTexts().isEmpty(), qPrintable(fixture.messageTexts().value(0)));
    QVERIFY(fixture.fatalErrors.isEmpty());
    QVERIFY(fixture.state().listening);
    QCOMPARE(fixture.state().speedMetresPerSecond, 3.0);
    QCOMPARE(fixture.controls().compassPointReadout->text(), QStringLiteral("NE"));
    fixture.controls().listenButton->click();
}

void tst_FaultLine::textLinesBetweenFramesAreSkipped_data()
{
    QTest::addColumn<bool>("lineByLine");
    QTest::newRow("in one burst") << false;
    QTest::newRow("line by line") << true;
}

void tst_FaultLine::textLinesBetweenFramesAreSkipped()
{
    QFETCH(bool, lineByLine);
    LineFixture fixture;
    SensorLine line;
    QVERIFY(line.isOpen());
    fixture.device = line.device;

    const QList<QByteArray> lines = {
        "\r\n",
        "WIND SENSOR V2.07 (C) 2004\r\n",
        "SELF TEST ... OK, HEATER OFF, 9600 8N1\r\n",
        sensorFrame("A,10,1"),
        "STATUS 0A, SUPPLY 12.1V\r\n",
        sensorFrame("A,200,7"),
        "\r\n\r\n; calibration 1.000, 0.998\r\n",
        sensorFrame("A,315,9.5"),
    };
    QList<std::function<void()>> steps;
    if (lineByLine) {
        for (const QByteArray &text : lines)
            steps << [&line, text] {
                QVERIFY(line.send(text));
            };
    } else {
        steps << [&line, &lines] {
            QVERIFY(line.send(lines.join()));
        };
    }
    fixture.listenWhile(steps);
    QVERIFY(LineFixture::waitFor([&] { return fixture.state().directionDegrees == 315.0; }));
    fixture.controls().listenButton->click();

    QVERIFY2(fixture.messageTexts().isEmpty(), qPrintable(fixture.messageTexts().value(0)));
    QCOMPARE(fixture.state().speedMetresPerSecond, 9.5);
    QCOMPARE(fixture.controls().compassPointReadout->text(), QStringLiteral("NW"));
}

QTEST_MAIN(tst_FaultLine)
#include "tst_faultline.moc"
