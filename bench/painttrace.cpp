// SPDX-License-Identifier: MIT
#include "painttrace.h"

#include "linefeeder.h"
#include "windowsession.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QMap>
#include <QPaintEvent>
#include <QRegion>
#include <QWidget>

#include <cstdio>
#include <vector>

namespace {

qint64 area(const QRegion &region)
{
    qint64 pixels = 0;
    for (const QRect &rect : region)
        pixels += qint64(rect.width()) * rect.height();
    return pixels;
}

QString nameOf(const QObject *object)
{
    const QString type = QString::fromLatin1(object->metaObject()->className());
    return object->objectName().isEmpty() ? type
                                          : QStringLiteral("%1 %2").arg(type, object->objectName());
}

// One pass of the window's repaint manager: it starts with the update
// request that the window receives, paints every control whose area is
// dirty, and sends what it painted on to the display in one flush.
struct Pass
{
    QRegion painted; // in the window's coordinates
    QStringList controls;
};

struct ControlFigures
{
    int paints = 0;
    qint64 pixels = 0;
    int moves = 0;
};

class PaintRecorder : public QObject
{
public:
    std::vector<Pass> passes;
    QMap<QString, ControlFigures> controls;

protected:
    bool eventFilter(QObject *receiver, QEvent *event) override
    {
        if (!receiver->isWidgetType())
            return false;
        auto *widget = static_cast<QWidget *>(receiver);
        switch (event->type()) {
        case QEvent::UpdateRequest:
            if (widget->isWindow())
                passes.emplace_back();
            break;
        case QEvent::Paint: {
            const QRegion region = static_cast<QPaintEvent *>(event)->region();
            ControlFigures &figures = controls[nameOf(widget)];
            ++figures.paints;
            figures.pixels += area(region);
            if (passes.empty())
                passes.emplace_back();
            passes.back().painted += region.translated(widget->mapTo(widget->window(), QPoint()));
            passes.back().controls << nameOf(widget);
            break;
        }
        case QEvent::Move:
            ++controls[nameOf(widget)].moves;
            break;
        default:
            break;
        }
        return false;
    }
};

} // namespace

void printPaintTrace(std::chrono::milliseconds duration)
{
    PaintRecorder recorder;
    const LineFeeder::Schedule schedule{LineFeeder::Pacing::WholeFrames, 1, duration};
    const SessionFigures figures = measureListening(
        schedule, nullptr, nullptr, [&] { qApp->installEventFilter(&recorder); },
        [&] { qApp->removeEventFilter(&recorder); });
    const double seconds = figures.seconds > 0 ? figures.seconds : 1;

    // Passes by what woke them: a reading repaints the readouts and starts
    // the compass's turn, a tick of the clock repaints the clock, a step of
    // a turn the compass alone. A pass that paints nothing flushes nothing.
    struct Kind
    {
        std::vector<qint64> pixels;
        QStringList controls;
    };
    QMap<QString, Kind> kinds;
    for (const Pass &pass : recorder.passes) {
        if (pass.controls.isEmpty())
            continue;
        const bool clock
            = pass.controls.filter(QStringLiteral("ClockWidget")).size() == pass.controls.size();
        const bool compass
            = pass.controls.filter(QStringLiteral("CompassWidget")).size() == pass.controls.size();
        const bool reading = !pass.controls.filter(QStringLiteral("QLabel")).isEmpty();
        Kind &kind = kinds[clock         ? QStringLiteral("clock tick")
                               : compass ? QStringLiteral("step of a turn")
                               : reading ? QStringLiteral("reading")
                                         : QStringLiteral("other")];
        kind.pixels.push_back(area(pass.painted));
        kind.controls << pass.controls;
    }
    std::printf("Platform \"%s\": %d frames in %.1f s; 4 bytes a pixel.\n\n",
                qPrintable(QGuiApplication::platformName()), figures.written, seconds);
    std::printf("| pass | passes/s | pixels a pass (mean) | KB/s sent | controls painted |\n"
                "|---|---:|---:|---:|---|\n");
    double passesPerSecond = 0;
    double bytesPerSecond = 0;
    for (auto kind = kinds.begin(); kind != kinds.end(); ++kind) {
        qint64 pixels = 0;
        for (qint64 pass : kind->pixels)
            pixels += pass;
        const double perSecond = double(kind->pixels.size()) / seconds;
        passesPerSecond += perSecond;
        bytesPerSecond += 4.0 * double(pixels) / seconds;
        kind->controls.removeDuplicates();
        kind->controls.sort();
        std::printf("| %s | %.2f | %.0f | %.1f | %s |\n", qPrintable(kind.key()), perSecond,
                    double(pixels) / double(kind->pixels.size()),
                    4.0 * double(pixels) / seconds / 1000,
                    qPrintable(kind->controls.join(QStringLiteral(", "))));
    }
    std::printf("| all | %.2f | | %.1f | |\n\n", passesPerSecond, bytesPerSecond / 1000);
    std::printf("| control | paints/s | pixels painted/s | moves/s |\n|---|---:|---:|---:|\n");
    for (auto control = recorder.controls.cbegin(); control != recorder.controls.cend();
         ++control) {
        std::printf("| %s | %.2f | %.0f | %.2f |\n", qPrintable(control.key()),
                    control->paints / seconds, double(control->pixels) / seconds,
                    control->moves / seconds);
    }
    for (const QString &problem : figures.problems)
        std::printf("Problem: %s\n", qPrintable(problem));
}
