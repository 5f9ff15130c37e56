// SPDX-License-Identifier: MIT
#include "zerodirection.h"

#include "messages.h"

#include "core/apperror.h"
#include "core/numberformat.h"
#include "core/sensorsettings.h"
#include "core/settingsfile.h"
#include "core/windcorrections.h"
#include "feed/windfeed.h"

#include <QAction>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

ZeroDirection::ZeroDirection(SettingsFile &settings, WindFeed &feed, QWidget &mainWindow,
                             QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_feed(feed)
    , m_mainWindow(mainWindow)
    , m_action(new QAction(QStringLiteral("Set Zero Direction…"), &mainWindow))
    , m_freshTimer(new QTimer(this))
{
    m_action->setEnabled(false);
    mainWindow.addAction(m_action);
    connect(m_action, &QAction::triggered, this, &ZeroDirection::open);
    m_freshTimer->setSingleShot(true);
    m_freshTimer->setInterval(FreshForMs);
    connect(m_freshTimer, &QTimer::timeout, this, [this] { m_action->setEnabled(false); });
    connect(&feed, &WindFeed::readingShown, this, &ZeroDirection::take);
    connect(&feed, &WindFeed::stateChanged, this, [this](WindFeed::State state) {
        if (state != WindFeed::State::Listening) {
            m_freshTimer->stop();
            m_action->setEnabled(false);
        }
    });
}

ZeroDirection::~ZeroDirection() = default;

void ZeroDirection::take(const WindFeedReading &reading)
{
    if (!reading.reportedDirectionDegrees || !m_feed.isListening())
        return;
    m_reported = reading.reportedDirectionDegrees;
    m_action->setEnabled(true);
    m_freshTimer->start();
    if (m_dialog)
        describe();
}

// A box that does not wait: readings go on arriving, and its text follows
// them while the vane is turned.
void ZeroDirection::open()
{
    if (m_dialog) {
        m_dialog->raise();
        return;
    }
    m_dialog = new QMessageBox(
        QMessageBox::Question, QStringLiteral("Set Zero Direction"), QString(),
        QMessageBox::Ok | QMessageBox::Reset | QMessageBox::Cancel, &m_mainWindow);
    m_dialog->setAttribute(Qt::WA_DeleteOnClose);
    m_dialog->setDefaultButton(QMessageBox::Cancel);
    describe();
    connect(m_dialog, &QMessageBox::finished, this, [this](int button) {
        m_dialog = nullptr;
        finish(button);
    });
    m_dialog->open();
}

void ZeroDirection::describe()
{
    const QLocale locale;
    const QString reported
        = m_reported ? formatOneDecimal(*m_reported, locale) + u'°' : QStringLiteral("nothing");
    m_dialog->setText(
        QStringLiteral("The sensor reports %1 now, before any correction.\n\n"
                       "Turn the vane to true north (on a boat: to the bow) and press OK: the "
                       "direction it reports then reads 0° from the next reading on. Reset "
                       "removes the correction; Cancel changes nothing.")
            .arg(reported));
}

void ZeroDirection::finish(int button)
{
    if (button == QMessageBox::Reset) {
        writeOffset(0);
    } else if (button == QMessageBox::Ok) {
        // A reading gone old while the box was open is no direction to
        // set north by.
        if (m_reported && m_action->isEnabled())
            writeOffset(zeroingDirectionOffset(*m_reported));
        else
            showMessageWithoutWaiting(
                &m_mainWindow, applicationTitle(),
                QStringLiteral("The sensor has reported no direction for %1 s, so the zero "
                               "direction was left as it was. Set it again while readings "
                               "come in.")
                    .arg(FreshForMs / 1000),
                MessageIcon::Error);
    }
}

void ZeroDirection::writeOffset(double degrees)
{
    try {
        writeDirectionOffset(m_settings, degrees);
        const SectionSettings<WindCorrections> sensor = readSensorSection(m_settings);
        m_feed.setCorrections(sensor.config);
        if (!sensor.problems.isEmpty())
            showMessageWithoutWaiting(&m_mainWindow, applicationTitle(),
                                      sensor.problems.join(QStringLiteral("\n\n")),
                                      MessageIcon::Error);
    } catch (const AppError &error) {
        showMessageWithoutWaiting(&m_mainWindow, applicationTitle(),
                                  QStringLiteral("Error ") + error.description(),
                                  MessageIcon::Error);
    }
}
