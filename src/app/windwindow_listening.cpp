// SPDX-License-Identifier: MIT
// Live input: the link is opened when listening starts and read when its
// bytes arrive; each reading it delivers is shown and announced. Nothing
// here loops or waits, so no other handler can run in the middle of one of
// these: a click, a tick, the port dialog and the window's close each run
// on their own, from the event loop.

#include "windwindow.h"

#include "messages.h"

#include "core/apperror.h"
#include "core/winddisplay.h"
#include "core/windreading.h"
#include "platform/windlink.h"
#include "widgets/clockwidget.h"

#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTimer>

#include <utility>

namespace {

// The link health's words for an input that failed: the cause, without the
// advice that follows it in the message box.
QString stoppedState(const AppError &error)
{
    return QStringLiteral("stopped: ") + error.description().section(u'\n', 0, 0);
}
} // namespace

void WindWindow::toggleListening()
{
    // The example-mode timer stops itself at its next tick.
    if (m_state.exampleModeOn)
        setExampleModeOn(false);
    if (m_state.listening)
        stopListening();
    else
        startListening();
}

void WindWindow::startListening()
{
    m_state.listening = true;
    m_controls.listenButton->setText(QStringLiteral("Stop listening Serial Port"));
    m_controls.portButton->setEnabled(false);
    emit listeningChanged(true);

    m_link = m_makeLink(m_state.portNumber);
    connect(m_link.get(), &WindLink::readingReceived, this, &WindWindow::takeReading);
    connect(m_link.get(), &WindLink::frameRejected, this, &WindWindow::rejectFrame);
    connect(m_link.get(), &WindLink::failed, this, &WindWindow::halt);
    connect(m_link.get(), &WindLink::lineLost, this, [this](const QString &reason) {
        markStale();
        emit linkStateChanged(reason);
    });
    connect(m_link.get(), &WindLink::lineBack, this, [this] { emit linkStateChanged(QString()); });

    m_sinceReading.start();
    m_controls.staleTimer->start();
    try {
        m_link->open();
    } catch (const AppError &error) {
        // Halted: listening stays switched on until the next click.
        closeLink();
        emit linkStateChanged(stoppedState(error));
        showMessage(this, applicationTitle(), QStringLiteral("Error ") + error.description(),
                    MessageIcon::Error);
    }
}

void WindWindow::stopListening()
{
    const bool wasListening = std::exchange(m_state.listening, false);
    m_controls.listenButton->setText(QStringLiteral("Start Listening Serial Port"));
    m_controls.portButton->setEnabled(true);
    closeLink();
    m_controls.staleTimer->stop();
    markFresh();
    emit linkStateChanged(QString());
    if (wasListening)
        emit listeningChanged(false);
}

void WindWindow::closeLink()
{
    if (!m_link)
        return;
    m_link->close();
    // This may run inside one of the link's own signals: it goes once they
    // have returned.
    m_link.release()->deleteLater();
}

void WindWindow::takeReading(const WindReading &reading)
{
    const double direction = reading.directionDegrees.value_or(m_state.directionDegrees);
    const double speed = reading.speedMetresPerSecond.value_or(m_state.speedMetresPerSecond);
    const WindDisplay shown = windDisplay(direction, speed, QLocale());
    // A value no readout can show (a speed of 1e308) came off a noisy line
    // like any frame that fails its check, and is rejected like one rather
    // than stopping the display.
    if (shown.failure) {
        rejectFrame();
        return;
    }
    showWind(shown);
    emit displayRefreshed();
    m_sinceReading.start();
    m_controls.staleTimer->start();
    markFresh();
    announceSample(WindSource::Sensor);
}

void WindWindow::rejectFrame()
{
    clearSpeedReadouts();
    emit frameRejected();
}

void WindWindow::halt(const AppError &error)
{
    // Reading stops; listening stays switched on until the next click. The
    // message waits for the link's signal to return: a modal box shown
    // inside it would run the event loop under the link's feet.
    if (m_link)
        m_link->close();
    emit linkStateChanged(stoppedState(error));
    const QString text = QStringLiteral("Error ") + error.description();
    QTimer::singleShot(
        0, this, [this, text] { showMessage(this, applicationTitle(), text, MessageIcon::Error); });
}

// The value readouts dim (grey, or dark red at night) and say how old they
// are; the bars and the condition texts stay as they were, as they do for a
// rejected frame.
void WindWindow::markStale()
{
    if (m_stale || !m_state.listening)
        return;
    m_stale = true;
    for (QLabel *readout : m_controls.valueReadouts())
        m_freshDescriptions.insert(readout, readout->accessibleDescription());
    colourValueReadouts();
    describeStaleReadouts();
    emit readingsStaleChanged(true);
}

// Follows the clock's second hand rather than a timer of its own, so that a
// quiet line wakes the process once a second, not twice.
void WindWindow::describeStaleReadouts()
{
    if (!m_stale)
        return;
    const QString description
        = QStringLiteral("No reading for %1 s").arg(m_sinceReading.elapsed() / 1000);
    for (QLabel *readout : m_controls.valueReadouts()) {
        if (readout->accessibleDescription() != description)
            readout->setAccessibleDescription(description);
    }
}

void WindWindow::markFresh()
{
    if (!std::exchange(m_stale, false))
        return;
    for (QLabel *readout : m_controls.valueReadouts())
        readout->setAccessibleDescription(m_freshDescriptions.value(readout));
    colourValueReadouts();
    emit readingsStaleChanged(false);
}

void WindWindow::colourValueReadouts()
{
    const QColor colour = valueReadoutColour(m_colourScheme, m_stale);
    for (QLabel *readout : m_controls.valueReadouts()) {
        QPalette palette = readout->palette();
        palette.setColor(QPalette::WindowText, colour);
        readout->setPalette(palette);
    }
}
