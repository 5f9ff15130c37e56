// SPDX-License-Identifier: MIT
#include "alarmaddon.h"

#include "alarmlist.h"
#include "historyaddon.h"
#include "messages.h"
#include "windwindow.h"

#include "core/alarmlogwriter.h"
#include "core/apperror.h"
#include "core/logcategories.h"
#include "core/windalarmtext.h"
#include "platform/alarmcommand.h"
#include "platform/desktopnotifier.h"

#include <QLocale>
#include <QShortcut>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace {
constexpr int TickMs = 1000;
} // namespace

AlarmAddOn::AlarmAddOn(WindWindow &window, const SettingsFile &settings, HistoryAddOn &history,
                       Clock clock, std::optional<QDBusConnection> bus, QObject *parent)
    : QObject(parent)
    , m_window(window)
    , m_settings(settings)
    , m_history(history)
    , m_clock(std::move(clock))
    , m_bus(std::move(bus))
{ }

AlarmAddOn::~AlarmAddOn() = default;

QStringList AlarmAddOn::start()
{
    const WindAlarmSettings read = readWindAlarmSettings(m_settings);
    if (!read.config.anyAlarmOn())
        return read.problems;
    m_alarms = std::make_unique<WindAlarms>(read.config);

    const auto tellUser = [this](const QString &message) {
        showMessageWithoutWaiting(&m_window, applicationTitle(), message, MessageIcon::Error);
    };
    // Without a notification service the ring is all there is, and nobody
    // needs to be told so.
    m_notifier = m_bus ? new DesktopNotifier(*m_bus, this) : new DesktopNotifier(this);
    connect(m_notifier, &DesktopNotifier::acknowledged, this, [this](int key) {
        if (key >= 0 && key < windAlarmKindCount)
            acknowledge(WindAlarmKind(key));
    });
    if (!read.config.command.isEmpty()) {
        m_command = new AlarmCommand(read.config.command, this);
        connect(m_command, &AlarmCommand::failed, this, tellUser);
    }
    if (const WindRecorder &recorder = m_history.recorder(); recorder.isLogging()) {
        m_log = new AlarmLogWriter(recorder.logFolder(), recorder.logKeepDays(), this);
        connect(m_log, &AlarmLogWriter::failed, this, tellUser);
    }

    m_list = new AlarmList(read.config.unit);
    m_history.historyWindow().addSection(m_list);
    connect(m_list, &AlarmList::acknowledgeRequested, this, &AlarmAddOn::acknowledge);
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), &m_window);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, this, &AlarmAddOn::acknowledgeAll);

    m_tick = new QTimer(this);
    m_tick->setInterval(TickMs);
    connect(m_tick, &QTimer::timeout, this, [this] {
        const std::vector<WindAlarmEvent> events = m_alarms->evaluate(m_clock());
        take(events);
        // The figures of raised alarms move on with time.
        if (events.empty() && !m_alarms->raisedAlarms().empty())
            showAlarms();
    });

    connect(&m_window, &WindWindow::sampleAccepted, this, [this](const WindSample &sample) {
        if (!m_source)
            return;
        try {
            take(m_alarms->addSample(
                {m_clock(), sample.directionDegrees, sample.speedMetresPerSecond}));
        } catch (const AppError &error) {
            if (!std::exchange(m_refusalReported, true))
                qCWarning(windAlarm).noquote()
                    << "A sample was left out of the alarms:" << error.description();
        }
    });
    connect(&m_window, &WindWindow::listeningChanged, this, [this](bool on) {
        m_listening = on;
        followSource();
    });
    connect(&m_window, &WindWindow::exampleModeChanged, this, [this](bool on) {
        m_exampleModeOn = on;
        followSource();
    });
    showAlarms();
    return read.problems;
}

// Example mode switched on while listening stops the listening after it has
// started: the rules see one source replace the other, not a stop of both.
void AlarmAddOn::followSource()
{
    std::optional<WindSource> wanted;
    if (m_exampleModeOn)
        wanted = WindSource::ExampleMode;
    else if (m_listening)
        wanted = WindSource::Sensor;
    if (wanted == m_source)
        return;
    const qint64 now = m_clock();
    if (m_source)
        take(m_alarms->sourceStopped(now));
    m_source = wanted;
    if (wanted)
        take(m_alarms->sourceStarted(*wanted, now));
    keepTicking();
}

void AlarmAddOn::take(const std::vector<WindAlarmEvent> &events)
{
    for (const WindAlarmEvent &event : events)
        tell(event);
    if (!events.empty())
        showAlarms();
    keepTicking();
}

void AlarmAddOn::tell(const WindAlarmEvent &event)
{
    const WindAlarmConfig &config = m_alarms->config();
    const QLocale locale;
    const int key = int(event.kind);
    const bool raised = event.change == WindAlarmEvent::Change::Raised;
    const QString name = windAlarmName(event.kind);
    const double figure = windAlarmFigureInUnit(event.kind, event.value, config.unit);
    const double threshold = windAlarmFigureInUnit(event.kind, event.threshold, config.unit);
    const QString value = windAlarmValueText(event.kind, event.value, config.unit, locale);
    qCInfo(windAlarm).noquote() << (raised ? "Raised" : "Cleared") << name << value;

    if (raised) {
        m_raisedAt[size_t(key)] = QDateTime::currentDateTime();
        m_notifier->notify(key, windAlarmTitle(event.kind, event.threshold, config.unit, locale),
                           QStringLiteral("%1 at %2")
                               .arg(value, m_raisedAt[size_t(key)].time().toString(u"HH:mm:ss")));
    } else {
        m_notifier->close(key);
    }
    if (m_command)
        m_command->run(raised, name, QString::fromLatin1(alarmFigureText(figure)));
    if (m_log) {
        try {
            m_log->append({QDateTime::currentMSecsSinceEpoch(), name, raised, figure, threshold});
        } catch (const AppError &error) {
            qCWarning(windAlarm).noquote() << "Not in the alarm log:" << error.description();
        }
    }
}

void AlarmAddOn::showAlarms()
{
    const std::vector<RaisedWindAlarm> raised = m_alarms->raisedAlarms();
    CompassWidget::Ring ring = CompassWidget::Ring::Off;
    if (!raised.empty())
        ring = std::all_of(raised.begin(), raised.end(),
                           [](const RaisedWindAlarm &alarm) { return alarm.acknowledged; })
            ? CompassWidget::Ring::Steady
            : CompassWidget::Ring::Blinking;
    m_window.showAlarms(ring, windAlarmsDescription(raised, m_alarms->config().unit, QLocale()));
    m_list->showAlarms(raised, m_raisedAt);
}

void AlarmAddOn::keepTicking()
{
    if (!m_alarms->needsTick())
        m_tick->stop();
    else if (!m_tick->isActive())
        m_tick->start();
}

// An acknowledged alarm's notification has done its work: it goes, and the
// ring stays steady until the alarm clears.
void AlarmAddOn::acknowledge(WindAlarmKind kind)
{
    if (!m_alarms || !m_alarms->isRaised(kind))
        return;
    m_alarms->acknowledge(kind);
    m_notifier->close(int(kind));
    showAlarms();
}

void AlarmAddOn::acknowledgeAll()
{
    if (!m_alarms)
        return;
    const std::vector<RaisedWindAlarm> raised = m_alarms->raisedAlarms();
    if (raised.empty())
        return;
    for (const RaisedWindAlarm &alarm : raised)
        m_notifier->close(int(alarm.kind));
    m_alarms->acknowledgeAll();
    showAlarms();
}
