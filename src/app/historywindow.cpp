// SPDX-License-Identifier: MIT
#include "historywindow.h"

#include "errorguard.h"

#include "core/windstatisticstext.h"
#include "feed/windrecorder.h"
#include "widgets/timeplot.h"
#include "widgets/windroseplot.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

namespace {
const SpeedUnit Units[3]
    = {SpeedUnit::KilometresPerHour, SpeedUnit::Knots, SpeedUnit::MetresPerSecond};

// The speed plot's lines: the raw speed faint, the mean strong, the gust
// apart from both; at night three shades of red in the same order.
QList<TimePlot::Series> speedSeries(ColourScheme scheme)
{
    const bool night = scheme == ColourScheme::Night;
    return {{QStringLiteral("speed (km/h)"), TimePlot::Style::Line,
             night ? QColor(NightRed::Dark) : QColor(0x9DB4D8)},
            {QStringLiteral("2-minute mean"), TimePlot::Style::Line,
             night ? QColor(NightRed::Bright) : QColor(0x1F4E9C)},
            {QStringLiteral("gust (10 minutes)"), TimePlot::Style::Line,
             night ? QColor(0xFF880000) : QColor(0xD03020)}};
}

QList<TimePlot::Series> directionSeries(ColourScheme scheme)
{
    return {{QStringLiteral("direction"), TimePlot::Style::Points,
             scheme == ColourScheme::Night ? QColor(NightRed::Bright) : QColor(0x1F4E9C)}};
}

QLabel *headerLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}
} // namespace

HistoryWindow::HistoryWindow(WindRecorder &recorder, QWidget *parent)
    : QWidget(parent)
    , m_recorder(recorder)
{
    setWindowTitle(QStringLiteral("Wind History"));
    // Closing the main window ends the application even while this one is
    // open.
    setAttribute(Qt::WA_QuitOnClose, false);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(buildStatistics());
    layout->addWidget(buildReports());
    auto *views = new QHBoxLayout;
    views->addWidget(buildPlots(), 1);
    views->addWidget(buildRose());
    layout->addLayout(views, 1);
    layout->addWidget(buildLinkHealth());

    m_refreshTimer = new QTimer(this);
    m_refreshTimer->setInterval(RefreshIntervalMs);
    connect(m_refreshTimer, &QTimer::timeout, this, [this] { guarded([this] { refresh(); }); });
}

HistoryWindow::~HistoryWindow() = default;

HistoryWindow::Figure HistoryWindow::makeFigure(const QString &spokenName,
                                                const QString &description)
{
    auto *label = new QLabel(this);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setAccessibleDescription(description);
    Figure figure{label, spokenName};
    setFigure(figure, notShownFigure(), QStringLiteral("no data"));
    return figure;
}

QWidget *HistoryWindow::buildStatistics()
{
    auto *box = new QGroupBox(QStringLiteral("Mean wind"), this);
    auto *grid = new QGridLayout(box);
    int column = 1;
    for (SpeedUnit unit : Units)
        grid->addWidget(headerLabel(unitSymbol(unit), box), 0, column++, Qt::AlignRight);
    grid->addWidget(headerLabel(QStringLiteral("direction"), box), 0, 4, Qt::AlignRight);
    grid->addWidget(headerLabel(QStringLiteral("coverage"), box), 0, 5, Qt::AlignRight);

    const auto addPeriod = [&](PeriodRow &row, int gridRow, int minutes) {
        const QString period = QStringLiteral("%1-minute").arg(minutes);
        grid->addWidget(new QLabel(QStringLiteral("Last %1 minutes").arg(minutes), box), gridRow,
                        0);
        for (int i = 0; i < 3; ++i) {
            row.speed[i] = makeFigure(
                QStringLiteral("%1 mean speed").arg(period),
                QStringLiteral("The mean of the speeds of the samples of the last %1 minutes, in "
                               "%2.")
                    .arg(minutes)
                    .arg(spokenUnit(Units[i])));
            grid->addWidget(row.speed[i].label, gridRow, i + 1);
        }
        row.direction = makeFigure(
            QStringLiteral("%1 mean direction").arg(period),
            QStringLiteral("The direction of the mean of the samples' unit vectors over the last "
                           "%1 minutes, in degrees and on a 16-point compass; calm below a mean "
                           "speed of 0.5 metres per second.")
                .arg(minutes));
        grid->addWidget(row.direction.label, gridRow, 4);
        row.coverage = makeFigure(
            QStringLiteral("%1 coverage").arg(period),
            QStringLiteral("The share of the last %1 minutes spanned by gaps of at most 5 seconds "
                           "between samples. Under 66 percent the period's figures are not "
                           "shown.")
                .arg(minutes));
        grid->addWidget(row.coverage.label, gridRow, 5);
    };
    addPeriod(m_twoMinutes, 1, 2);
    addPeriod(m_tenMinutes, 2, 10);

    grid->addWidget(new QLabel(QStringLiteral("Gust (10 minutes)"), box), 3, 0);
    for (int i = 0; i < 3; ++i) {
        m_gust[i] = makeFigure(QStringLiteral("10-minute gust"),
                               QStringLiteral("The highest 3-second mean speed of the last 10 "
                                              "minutes, in %1.")
                                   .arg(spokenUnit(Units[i])));
        grid->addWidget(m_gust[i].label, 3, i + 1);
    }
    grid->addWidget(new QLabel(QStringLiteral("Beaufort (10-minute mean)"), box), 4, 0);
    m_beaufort = makeFigure(QStringLiteral("Beaufort of the 10-minute mean"),
                            QStringLiteral("The Beaufort force of the 10-minute mean speed."));
    grid->addWidget(m_beaufort.label, 4, 1);
    grid->setColumnStretch(0, 1);
    for (int gridColumn = 1; gridColumn <= 5; ++gridColumn)
        grid->setColumnMinimumWidth(gridColumn, 70);
    return box;
}

QWidget *HistoryWindow::buildPlots()
{
    auto *box = new QGroupBox(QStringLiteral("History"), this);
    auto *layout = new QVBoxLayout(box);

    auto *spanRow = new QHBoxLayout;
    auto *spanLabel = new QLabel(QStringLiteral("Show the last"), box);
    m_spanChooser = new QComboBox(box);
    for (int minutes : {10, 30, 60})
        m_spanChooser->addItem(QStringLiteral("%1 minutes").arg(minutes), minutes);
    m_spanChooser->setAccessibleName(QStringLiteral("Plotted span"));
    m_spanChooser->setAccessibleDescription(
        QStringLiteral("How many minutes the speed and direction plots show."));
    spanLabel->setBuddy(m_spanChooser);
    spanRow->addWidget(spanLabel);
    spanRow->addWidget(m_spanChooser);
    spanRow->addStretch(1);
    layout->addLayout(spanRow);
    connect(m_spanChooser, &QComboBox::currentIndexChanged, this, [this] {
        if (isVisible())
            guarded([this] { refresh(); });
    });

    m_speedPlot = new TimePlot(box);
    m_speedPlot->setSeries(speedSeries(m_colourScheme));
    m_speedPlot->setEmptyText(QStringLiteral("No samples in this span"));
    layout->addWidget(m_speedPlot, 3);

    m_directionPlot = new TimePlot(box);
    m_directionPlot->setSeries(directionSeries(m_colourScheme));
    m_directionPlot->setValueAxis(0, 360,
                                  {{0, QStringLiteral("N")},
                                   {90, QStringLiteral("E")},
                                   {180, QStringLiteral("S")},
                                   {270, QStringLiteral("W")},
                                   {360, QStringLiteral("N")}});
    m_directionPlot->setEmptyText(QStringLiteral("No samples in this span"));
    layout->addWidget(m_directionPlot, 2);
    return box;
}

QWidget *HistoryWindow::buildLinkHealth()
{
    auto *box = new QGroupBox(QStringLiteral("Link"), this);
    auto *grid = new QGridLayout(box);
    const auto add = [&](Figure &figure, int row, int column, const QString &caption,
                         const QString &spokenName, const QString &description) {
        grid->addWidget(new QLabel(caption, box), row, column);
        figure = makeFigure(spokenName, description);
        figure.label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        grid->addWidget(figure.label, row, column + 1);
    };
    add(m_source, 0, 0, QStringLiteral("Source"), QStringLiteral("Source"),
        QStringLiteral("Where the samples come from: a serial port and its device, a network "
                       "input, or example mode."));
    add(m_frameRate, 0, 2, QStringLiteral("Rate (last minute)"), QStringLiteral("Frame rate"),
        QStringLiteral("Samples a second over the last minute."));
    add(m_accepted, 1, 0, QStringLiteral("Accepted"), QStringLiteral("Frames accepted"),
        QStringLiteral("Samples accepted since the source started, and their share of all "
                       "frames."));
    add(m_sinceLastSample, 1, 2, QStringLiteral("Since last sample"),
        QStringLiteral("Time since the last sample"),
        QStringLiteral("Seconds since the last accepted sample."));
    add(m_rejected, 2, 0, QStringLiteral("Rejected"), QStringLiteral("Frames rejected"),
        QStringLiteral("Frames that failed their checksum since the source started, and their "
                       "share of all frames."));
    m_staleMark = makeFigure(QStringLiteral("Data"),
                             QStringLiteral("Stale when no sample has come for 10 seconds, or "
                                            "for 5 times the usual interval when that is "
                                            "longer."));
    QFont bold = m_staleMark.label->font();
    bold.setBold(true);
    m_staleMark.label->setFont(bold);
    m_staleMark.label->setAlignment(Qt::AlignCenter);
    m_staleMark.label->setAutoFillBackground(true);
    grid->addWidget(m_staleMark.label, 2, 2, 1, 2);
    // A reason can be long ("retrying in 2 s: Connection refused"): the row
    // is its own.
    grid->addWidget(new QLabel(QStringLiteral("State"), box), 3, 0);
    m_linkState = makeFigure(QStringLiteral("Link state"),
                             QStringLiteral("How the input fares: connected, or what is wrong "
                                            "and what is being done about it."));
    m_linkState.label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_linkState.label->setWordWrap(true);
    grid->addWidget(m_linkState.label, 3, 1, 1, 3);
    m_windShown = makeFigure(QStringLiteral("Wind shown"),
                             QStringLiteral("Which wind the display shows from an NMEA 0183 "
                                            "input: apparent or true, and the sentences it is "
                                            "worked out from."));
    m_windShown.label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_windShown.label->setWordWrap(true);
    m_windShown.label->hide();
    grid->addWidget(m_windShown.label, 4, 0, 1, 4);
    m_mqtt = makeFigure(QStringLiteral("MQTT"),
                        QStringLiteral("The connection to the MQTT broker that the wind is "
                                       "published to: connected, or when it is tried again and "
                                       "why it failed."));
    m_mqtt.label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_mqtt.label->hide();
    grid->addWidget(m_mqtt.label, 5, 0, 1, 4);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    return box;
}

void HistoryWindow::showAndRaise()
{
    show();
    raise();
    activateWindow();
}

void HistoryWindow::setMqttStatus(const QString &status)
{
    const QString prefix = QStringLiteral("MQTT: ");
    setFigure(m_mqtt, status, status.startsWith(prefix) ? status.mid(prefix.size()) : status);
    m_mqtt.label->setVisible(!status.isEmpty());
}

void HistoryWindow::addSection(QWidget *section)
{
    section->setParent(this);
    layout()->addWidget(section);
}

void HistoryWindow::setColourScheme(ColourScheme scheme)
{
    if (scheme == m_colourScheme)
        return;
    m_colourScheme = scheme;
    for (TimePlot *plot : {m_speedPlot, m_directionPlot})
        plot->setColourScheme(scheme);
    m_rosePlot->setColourScheme(scheme);
    // New series empty the plots; a shown window fills them again at once.
    m_speedPlot->setSeries(speedSeries(scheme));
    m_directionPlot->setSeries(directionSeries(scheme));
    colourStaleMark(m_staleMark.label->text() == QStringLiteral("STALE"));
    if (isVisible())
        guarded([this] { refresh(); });
}

int HistoryWindow::spanMinutes() const
{
    return m_spanChooser->currentData().toInt();
}

void HistoryWindow::setSpanMinutes(int minutes)
{
    const int index = m_spanChooser->findData(minutes);
    if (index >= 0)
        m_spanChooser->setCurrentIndex(index);
}

void HistoryWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    refresh();
    m_refreshTimer->start();
}

void HistoryWindow::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    m_refreshTimer->stop();
}

void HistoryWindow::refresh()
{
    const qint64 now = m_recorder.now();
    const WindStatisticsSnapshot snapshot = m_recorder.statistics(now);
    showStatistics(snapshot);
    showReports(now, snapshot);
    showLinkHealth(snapshot);
    showPlots(now);
    showRose(now);
}
