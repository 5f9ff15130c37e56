// SPDX-License-Identifier: MIT
#include "feed/alarmmonitor.h"

#include "feed/windfeed.h"
#include "feed/windrecorder.h"

#include "core/alarmlogwriter.h"
#include "core/apperror.h"
#include "core/logcategories.h"
#include "core/windalarmsettings.h"
#include "core/windalarmtext.h"
#include "platform/alarmcommand.h"
#include "platform/desktopnotifier.h"

#include <QLocale>
#include <QTimer>

#include <utility>

namespace {
constexpr int TickMs = 1000;

std::optional<WindSource> sourceOf(WindFeed::State state)
{
    switch (state) {
    case WindFeed::State::Listening:
    case WindFeed::State::Halted:
        return WindSource::Sensor;
    case WindFeed::State::ExampleMode:
        return WindSource::ExampleMode;
    case WindFeed::State::Idle:
        break;
    }
    return std::nullopt;
}
} // namespace

AlarmMonitor::AlarmMonitor(const SettingsFile &settings, WindFeed &feed,
                           const WindRecorder &recorder, Clock clock,
                           std::optional<QDBusConnection> bus, QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_feed(feed)
    , m_recorder(recorder)
    , m_clock(std::move(clock))
    , m_bus(std::move(bus))
{ }

AlarmMonitor::~AlarmMonitor() = default;

QStringList AlarmMonitor::start()
{
    const WindAlarmSettings read = readWindAlarmSettings(m_settings);
    if (!read.config.anyAlarmOn())
        return read.problems;
    m_alarms = std::make_unique<WindAlarms>(read.config);

    // Without a notification service the ring is all there is, and nobody
    // needs to be told so.
    m_notifier = m_bus ? new DesktopNotifier(*m_bus, this) : new DesktopNotifier(this);
    connect(m_notifier, &DesktopNotifier::acknowledged, this, [this](int key) {
        if (key >= 0 && key < windAlarmKindCount)
            acknowledge(WindAlarmKind(key));
    });
    if (!read.config.command.isEmpty()) {
        m_command = new AlarmCommand(read.config.command, this);
        connect(m_command, &AlarmCommand::failed, this, &AlarmMonitor::problem);
    }
    if (m_recorder.isLogging()) {
        m_log = new AlarmLogWriter(m_recorder.logFolder(), m_recorder.logKeepDays(), this);
        connect(m_log, &AlarmLogWriter::failed, this, &AlarmMonitor::problem);
    }

    m_tick = new QTimer(this);
    m_tick->setInterval(TickMs);
    connect(m_tick, &QTimer::timeout, this, [this] {
        const std::vector<WindAlarmEvent> events = m_alarms->evaluate(m_clock());
        take(events);
        // The figures of raised alarms move on with time.
        if (events.empty() && !m_alarms->raisedAlarms().empty())
            emit alarmsChanged();
    });

    connect(&m_feed, &WindFeed::sampleAccepted, this, &AlarmMonitor::addSample);
    connect(&m_feed, &WindFeed::stateChanged, this,
            [this](WindFeed::State state) { followSource(sourceOf(state)); });
    followSource(sourceOf(m_feed.state()));
    return read.problems;
}

std::vector<RaisedWindAlarm> AlarmMonitor::raisedAlarms() const
{
    return m_alarms ? m_alarms->raisedAlarms() : std::vector<RaisedWindAlarm>();
}

// Example mode switched on while listening replaces one source with the
// other: the rules see the one stop and the other start.
void AlarmMonitor::followSource(std::optional<WindSource> wanted)
{
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

void AlarmMonitor::addSample(const WindFeedReading &reading)
{
    if (!m_source)
        return;
    try {
        take(m_alarms->addSample(reading.sample));
    } catch (const AppError &error) {
        if (!std::exchange(m_refusalReported, true))
            qCWarning(windAlarm).noquote()
                << "A sample was left out of the alarms:" << error.description();
    }
}

void AlarmMonitor::take(const std::vector<WindAlarmEvent> &events)
{
    for (const WindAlarmEvent &event : events)
        tell(event);
    if (!events.empty())
        emit alarmsChanged();
    keepTicking();
}

void AlarmMonitor::tell(const WindAlarmEvent &event)
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

void AlarmMonitor::keepTicking()
{
    if (!m_alarms->needsTick())
        m_tick->stop();
    else if (!m_tick->isActive())
        m_tick->start();
}

// An acknowledged alarm's notification has done its work: it goes, and the
// ring stays steady until the alarm clears.
void AlarmMonitor::acknowledge(WindAlarmKind kind)
{
    if (!m_alarms || !m_alarms->isRaised(kind))
        return;
    m_alarms->acknowledge(kind);
    m_notifier->close(int(kind));
    emit alarmsChanged();
}

void AlarmMonitor::acknowledgeAll()
{
    if (!m_alarms)
        return;
    const std::vector<RaisedWindAlarm> raised = m_alarms->raisedAlarms();
    if (raised.empty())
        return;
    for (const RaisedWindAlarm &alarm : raised)
        m_notifier->close(int(alarm.kind));
    m_alarms->acknowledgeAll();
    emit alarmsChanged();
}
