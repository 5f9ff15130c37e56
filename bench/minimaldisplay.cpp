// SPDX-License-Identifier: MIT
#include "minimaldisplay.h"

#include "processfigures.h"

#include "core/apperror.h"
#include "core/beaufort.h"
#include "core/numberformat.h"
#include "core/sensorframe.h"
#include "core/winddirection.h"
#include "core/windspeed.h"

#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QSerialPort>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <array>
#include <functional>

namespace {
using Clock = std::chrono::steady_clock;

// A needle on a round face with a tick every ten degrees, drawn whole on
// every paint, as a plain Qt dial would be.
class Dial : public QWidget
{
public:
    explicit Dial(QWidget *parent)
        : QWidget(parent)
    { }

    void setAngle(double degrees)
    {
        m_angle = degrees;
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const qreal side = std::min(width(), height());
        painter.translate(width() / 2.0, height() / 2.0);
        painter.scale(side / 200, side / 200);

        painter.setPen(QPen(Qt::darkBlue, 2));
        painter.setBrush(QColor(0xf0, 0xf4, 0xff));
        painter.drawEllipse(QPointF(0, 0), 96, 96);
        for (int degree = 0; degree < 360; degree += 10) {
            painter.save();
            painter.rotate(degree);
            painter.drawLine(QPointF(0, -92), QPointF(0, degree % 90 == 0 ? -80 : -86));
            painter.restore();
        }
        painter.rotate(m_angle);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0xe0, 0x50, 0x1a));
        painter.drawConvexPolygon(QPolygonF{{QPointF(-6, 10), QPointF(6, 10), QPointF(0, -78)}});
    }

private:
    double m_angle = 0;
};

class MinimalDisplay : public QWidget
{
public:
    MinimalDisplay(const QString &device, std::function<void(double speed)> shown)
        : m_shown(std::move(shown))
    {
        setFixedSize(873, 713);
        QFont readoutFont(QStringLiteral("Arial"));
        readoutFont.setPixelSize(37);
        readoutFont.setBold(true);
        // Each label shows a number from the start, as the application's
        // readouts do, so the fonts are loaded by the first paint rather than
        // by the first frame measured.
        for (size_t i = 0; i < m_labels.size(); ++i) {
            m_labels[i] = new QLabel(QStringLiteral("0"), this);
            m_labels[i]->setFont(readoutFont);
            m_labels[i]->setGeometry(560, 40 + int(i) * 70, 200, 50);
        }
        m_dial = new Dial(this);
        m_dial->setGeometry(40, 40, 250, 210);

        m_port.setPortName(device);
        m_port.setBaudRate(QSerialPort::Baud9600);
        QObject::connect(&m_port, &QSerialPort::readyRead, this, [this] { readFrames(); });
    }

    bool openPort() { return m_port.open(QIODevice::ReadOnly); }
    QStringList problems;
    qsizetype largestBuffer = 0;

private:
    void readFrames()
    {
        m_buffer += QString::fromLatin1(m_port.readAll());
        largestBuffer = std::max(largestBuffer, m_buffer.size());
        try {
            while (const std::optional<SensorFrame> frame = extractSensorFrame(m_buffer)) {
                m_buffer = frame->newBuffer;
                if (verifySensorChecksum(frame->payload, frame->checksumText)
                    == SensorChecksumVerdict::Match)
                    showFrame(readSensorField(frame->payload, 1).value_or(0),
                              readSensorField(frame->payload, 2).value_or(0));
            }
            trimReceiveBuffer(m_buffer);
        } catch (const AppError &error) {
            problems << error.description();
        }
    }

    void showFrame(double direction, double speed)
    {
        const QLocale locale;
        const double kmh = metresPerSecondToKmh(speed);
        const QString texts[] = {
            formatWhole(direction, locale),
            compassPoint(direction),
            formatOneDecimal(kmh, locale),
            formatOneDecimal(kmhToMph(kmh), locale),
            formatOneDecimal(kmhToKnots(kmh), locale),
            formatBeaufort(kmhToBeaufort(kmh), locale),
        };
        for (size_t i = 0; i < m_labels.size(); ++i)
            m_labels[i]->setText(texts[i]);
        m_dial->setAngle(direction + 180);
        m_shown(speed);
    }

    QSerialPort m_port;
    QString m_buffer;
    std::array<QLabel *, 6> m_labels{};
    Dial *m_dial = nullptr;
    std::function<void(double)> m_shown;
};
} // namespace

SessionFigures measureMinimalDisplay(const LineFeeder::Schedule &schedule,
                                     const std::function<void()> &atStart)
{
    SessionFigures figures;
    LineFeeder feeder;
    struct Shown
    {
        Clock::time_point at;
        int frameNumber;
    };
    std::vector<Shown> shown;
    shown.reserve(LineFeeder::MaxFrames + 1);
    bool recording = false;
    MinimalDisplay display(feeder.slavePath(), [&](double speed) {
        if (recording)
            shown.push_back({Clock::now(), LineFeeder::frameNumberOf(speed)});
    });
    if (!display.openPort()) {
        figures.problems << QStringLiteral("cannot open %1").arg(feeder.slavePath());
        return figures;
    }
    display.show();
    runEventsFor(SessionSettle);

    figures.peakSinceProcessStart = !resetPeakResident();
    if (atStart)
        atStart();
    recording = true;
    const Clock::time_point wallBefore = Clock::now();
    const double cpuBefore = processCpuSeconds();
    const qint64 wakeUpsBefore = processWakeUps();
    countInstructions(true);
    feeder.start(schedule);
    runEventsFor(schedule.duration);
    feeder.stop();
    countInstructions(false);
    const double cpuAfter = processCpuSeconds();
    const qint64 wakeUpsAfter = processWakeUps();
    const Clock::time_point wallAfter = Clock::now();
    const Clock::time_point quiet = Clock::now();
    while (int(shown.size()) < feeder.framesWritten() && Clock::now() - quiet < SessionDrain)
        runEventsFor(std::chrono::milliseconds(5));
    recording = false;

    figures.seconds = std::chrono::duration<double>(wallAfter - wallBefore).count();
    if (!shown.empty())
        figures.showingSeconds
            = std::chrono::duration<double>(shown.back().at - wallBefore).count();
    figures.cpuShare = (cpuAfter - cpuBefore - feeder.threadCpuSeconds()) / figures.seconds;
    figures.wakeUpsPerSecond = double(wakeUpsAfter - wakeUpsBefore) / figures.seconds;
    figures.written = feeder.framesWritten();
    figures.shown = int(shown.size());
    figures.peakResidentKiB = peakResidentKiB();
    figures.problems << display.problems;
    figures.largestReceiveBuffer = display.largestBuffer;
    int previous = 0;
    for (const Shown &frame : shown) {
        if (frame.frameNumber <= previous)
            figures.inOrder = false;
        previous = frame.frameNumber;
        if (frame.frameNumber < 1 || frame.frameNumber > figures.written)
            continue;
        figures.latenciesMs.push_back(std::chrono::duration<double, std::milli>(
                                          frame.at - feeder.completed(frame.frameNumber))
                                          .count());
    }
    std::sort(figures.latenciesMs.begin(), figures.latenciesMs.end());
    return figures;
}
