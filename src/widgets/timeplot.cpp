// SPDX-License-Identifier: MIT
#include "timeplot.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {
struct PlotColours
{
    QRgb background;
    QRgb grid;
    QRgb axisText;
    QRgb frame;
};

constexpr PlotColours DayPlot = {0xffffffff, 0xffe0e0e0, 0xff404040, 0xff808080};
constexpr PlotColours NightPlot = {NightRed::Black, NightRed::Faint, 0xffa00000, NightRed::Dark};

const PlotColours &plotColours(ColourScheme scheme)
{
    return scheme == ColourScheme::Night ? NightPlot : DayPlot;
}

constexpr qint64 MinuteMs = 60 * 1000;
// At most this many labelled times under the plot.
constexpr int MostTimeTicks = 6;
constexpr int Gap = 4; // pixels between a label and what it labels
constexpr double PointDiameter = 3;
constexpr double LineWidth = 1;

qint64 timeTickStepMs(qint64 spanMs)
{
    for (qint64 minutes : {1, 2, 5, 10, 15, 20, 30, 60, 120, 240, 720, 1440}) {
        if (spanMs / (minutes * MinuteMs) <= MostTimeTicks)
            return minutes * MinuteMs;
    }
    return spanMs;
}
} // namespace

TimePlot::TimePlot(QWidget *parent)
    : QWidget(parent)
{
    computeMetrics();
}

TimePlot::~TimePlot() = default;

void TimePlot::setSeries(const QList<Series> &series)
{
    m_data.clear();
    for (const Series &one : series) {
        SeriesData data;
        data.series = one;
        m_data.push_back(std::move(data));
    }
    m_background = QPixmap();
    m_hasPoints = false;
    update();
}

void TimePlot::setValueAxis(double minimum, double maximum, const QList<Tick> &ticks)
{
    if (maximum <= minimum)
        maximum = minimum + 1;
    const auto sameTicks = [&ticks, this] {
        return std::equal(
            ticks.cbegin(), ticks.cend(), m_ticks.cbegin(), m_ticks.cend(),
            [](const Tick &a, const Tick &b) { return a.value == b.value && a.label == b.label; });
    };
    if (minimum == m_minimum && maximum == m_maximum && sameTicks())
        return;
    m_minimum = minimum;
    m_maximum = maximum;
    m_ticks = ticks;
    computeMetrics();
    update();
}

void TimePlot::setColourScheme(ColourScheme scheme)
{
    if (scheme == m_scheme)
        return;
    m_scheme = scheme;
    m_background = QPixmap();
    update();
}

void TimePlot::setEmptyText(const QString &text)
{
    m_emptyText = text;
    update();
}

void TimePlot::beginData(qint64 endMs, qint64 spanMs)
{
    m_endMs = endMs;
    spanMs = std::max<qint64>(spanMs, 1);
    if (spanMs != m_spanMs) {
        m_spanMs = spanMs;
        m_background = QPixmap();
    }
    m_hasPoints = false;
    for (SeriesData &data : m_data) {
        data.hasLast = false;
        if (data.series.style == Style::Line) {
            data.levels.clear();
            data.lines.assign(Columns, LineColumn());
        } else {
            data.lines.clear();
            data.levels.assign(Columns, std::bitset<PointLevels>());
        }
    }
}

void TimePlot::addPoint(int series, qint64 timeMs, double value)
{
    if (series < 0 || series >= int(m_data.size()) || !std::isfinite(value))
        return;
    const qint64 offset = timeMs - (m_endMs - m_spanMs);
    if (offset <= 0 || offset > m_spanMs)
        return;
    SeriesData &data = m_data[size_t(series)];
    const int column = int((offset - 1) * Columns / m_spanMs);
    const bool broken = data.hasLast && timeMs - data.lastTimeMs > m_longestJoinedGapMs;
    data.lastTimeMs = timeMs;
    data.hasLast = true;
    m_hasPoints = true;

    if (data.series.style == Style::Points) {
        const double share = (value - m_minimum) / (m_maximum - m_minimum);
        const int level
            = std::clamp(int(std::lround(share * (PointLevels - 1))), 0, PointLevels - 1);
        data.levels[size_t(column)].set(size_t(level));
        return;
    }
    LineColumn &cell = data.lines[size_t(column)];
    const auto v = float(value);
    if (!cell.used) {
        cell = {v, v, v, v, true, broken};
        return;
    }
    // A gap inside one column cannot be drawn at this width; the column's
    // stroke covers it.
    cell.low = std::min(cell.low, v);
    cell.high = std::max(cell.high, v);
    cell.last = v;
}

void TimePlot::endData()
{
    update();
}

QSize TimePlot::sizeHint() const
{
    return {600, 180};
}

QSize TimePlot::minimumSizeHint() const
{
    return {240, 100};
}

void TimePlot::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    computeMetrics();
}

void TimePlot::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        computeMetrics();
}

void TimePlot::computeMetrics()
{
    const QFontMetrics metrics(font());
    m_lineHeight = metrics.height();
    int labelWidth = metrics.horizontalAdvance(QStringLiteral("000"));
    for (const Tick &tick : m_ticks)
        labelWidth = std::max(labelWidth, metrics.horizontalAdvance(tick.label));
    const double left = labelWidth + 2 * Gap;
    const double top = m_lineHeight + 2 * Gap; // the legend
    const double right = metrics.horizontalAdvance(QStringLiteral("now")) / 2.0 + Gap;
    const double bottom = m_lineHeight + 2 * Gap; // the time labels
    m_plotArea = QRectF(left, top, std::max(1.0, width() - left - right),
                        std::max(1.0, height() - top - bottom));
    m_background = QPixmap();
}

double TimePlot::yFor(double value) const
{
    const double share = (value - m_minimum) / (m_maximum - m_minimum);
    return m_plotArea.bottom() - share * m_plotArea.height();
}

double TimePlot::xForColumn(int column) const
{
    return m_plotArea.left() + (column + 0.5) * m_plotArea.width() / Columns;
}

void TimePlot::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    // The frame, the grid, the labels and the legend change only with the
    // size, the axis or the span: they are drawn once into a picture, and a
    // refresh draws only the data over it.
    if (m_background.isNull() || m_background.deviceIndependentSize() != QSizeF(size())) {
        const qreal ratio = devicePixelRatioF();
        m_background = QPixmap((QSizeF(size()) * ratio).toSize());
        m_background.setDevicePixelRatio(ratio);
        // Clear around the plot, where whatever holds the plot shows.
        m_background.fill(Qt::transparent);
        QPainter background(&m_background);
        background.setRenderHint(QPainter::Antialiasing);
        paintFrame(background);
        paintValueAxis(background);
        paintTimeAxis(background);
        paintLegend(background);
    }
    painter.drawPixmap(0, 0, m_background);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.save();
    painter.setClipRect(
        m_plotArea.adjusted(-PointDiameter, -PointDiameter, PointDiameter, PointDiameter));
    paintData(painter);
    painter.restore();
}

void TimePlot::paintFrame(QPainter &painter) const
{
    const PlotColours &colours = plotColours(m_scheme);
    painter.fillRect(m_plotArea, QColor(colours.background));
    painter.setPen(QColor(colours.frame));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(m_plotArea);
}

void TimePlot::paintValueAxis(QPainter &painter) const
{
    for (const Tick &tick : m_ticks) {
        if (tick.value < m_minimum || tick.value > m_maximum)
            continue;
        const double y = yFor(tick.value);
        painter.setPen(QColor(plotColours(m_scheme).grid));
        painter.drawLine(QPointF(m_plotArea.left() + 1, y), QPointF(m_plotArea.right() - 1, y));
        painter.setPen(QColor(plotColours(m_scheme).axisText));
        const QRectF label(0, y - m_lineHeight / 2.0, m_plotArea.left() - Gap, m_lineHeight);
        painter.drawText(label, Qt::AlignRight | Qt::AlignVCenter, tick.label);
    }
}

void TimePlot::paintTimeAxis(QPainter &painter) const
{
    const qint64 step = timeTickStepMs(m_spanMs);
    const QFontMetrics metrics(font());
    for (qint64 back = 0; back <= m_spanMs; back += step) {
        const double x = m_plotArea.right() - double(back) / double(m_spanMs) * m_plotArea.width();
        if (back > 0 && back < m_spanMs) {
            painter.setPen(QColor(plotColours(m_scheme).grid));
            painter.drawLine(QPointF(x, m_plotArea.top() + 1), QPointF(x, m_plotArea.bottom() - 1));
        }
        const QString text
            = back == 0 ? QStringLiteral("now") : QStringLiteral("−%1 min").arg(back / MinuteMs);
        const double textWidth = metrics.horizontalAdvance(text);
        const double left = std::clamp(x - textWidth / 2, 0.0, width() - textWidth);
        painter.setPen(QColor(plotColours(m_scheme).axisText));
        painter.drawText(QRectF(left, m_plotArea.bottom() + Gap, textWidth, m_lineHeight),
                         Qt::AlignCenter, text);
    }
}

void TimePlot::paintData(QPainter &painter) const
{
    if (!m_hasPoints) {
        painter.setPen(QColor(plotColours(m_scheme).axisText));
        painter.drawText(m_plotArea, Qt::AlignCenter, m_emptyText);
        return;
    }
    for (const SeriesData &data : m_data) {
        if (data.series.style == Style::Line)
            paintLine(painter, data);
        else
            paintPoints(painter, data);
    }
}

void TimePlot::paintLine(QPainter &painter, const SeriesData &data) const
{
    // Columns that share a pixel are drawn as one: the stroke would cover
    // the same pixels, at twice the cost.
    QPolygonF stroke;
    const auto flush = [&](double x, const LineColumn &cell) {
        stroke << QPointF(x, yFor(cell.first));
        if (cell.low != cell.high)
            stroke << QPointF(x, yFor(cell.low)) << QPointF(x, yFor(cell.high));
        stroke << QPointF(x, yFor(cell.last));
    };
    const auto drawStroke = [&] {
        if (!stroke.isEmpty())
            painter.drawPolyline(stroke);
        stroke.clear();
    };
    painter.setPen(QPen(data.series.colour, LineWidth));
    LineColumn pixel;
    int pixelX = 0;
    for (int column = 0; column < Columns; ++column) {
        const LineColumn &cell = data.lines[size_t(column)];
        if (!cell.used)
            continue;
        const int x = int(xForColumn(column));
        if (pixel.used && (x != pixelX || cell.breakBefore)) {
            flush(pixelX + 0.5, pixel);
            pixel.used = false;
        }
        if (cell.breakBefore)
            drawStroke();
        if (!pixel.used) {
            pixel = cell;
            pixelX = x;
            continue;
        }
        pixel.low = std::min(pixel.low, cell.low);
        pixel.high = std::max(pixel.high, cell.high);
        pixel.last = cell.last;
    }
    if (pixel.used)
        flush(pixelX + 0.5, pixel);
    drawStroke();
}

void TimePlot::paintPoints(QPainter &painter, const SeriesData &data) const
{
    // Squares without antialiasing: at three pixels a round dot looks the
    // same and costs many times more.
    std::vector<QRectF> squares;
    const double half = PointDiameter / 2;
    for (int column = 0; column < Columns; ++column) {
        const std::bitset<PointLevels> &levels = data.levels[size_t(column)];
        if (levels.none())
            continue;
        const double x = std::floor(xForColumn(column));
        double lastY = -1;
        for (int level = 0; level < PointLevels; ++level) {
            if (!levels.test(size_t(level)))
                continue;
            const double value
                = m_minimum + (m_maximum - m_minimum) * level / double(PointLevels - 1);
            // Levels finer than the plot's pixels land on one square.
            const double y = std::floor(yFor(value));
            if (y == lastY)
                continue;
            lastY = y;
            squares.emplace_back(x + 0.5 - half, y + 0.5 - half, PointDiameter, PointDiameter);
        }
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Qt::NoPen);
    painter.setBrush(data.series.colour);
    painter.drawRects(squares.data(), int(squares.size()));
    painter.restore();
}

void TimePlot::paintLegend(QPainter &painter) const
{
    const QFontMetrics metrics(font());
    const double sampleWidth = 16;
    double x = m_plotArea.left();
    const double y = Gap + m_lineHeight / 2.0;
    for (const SeriesData &data : m_data) {
        if (data.series.style == Style::Line) {
            painter.setPen(QPen(data.series.colour, 2));
            painter.drawLine(QPointF(x, y), QPointF(x + sampleWidth, y));
        } else {
            QPen pen(data.series.colour, PointDiameter + 1);
            pen.setCapStyle(Qt::RoundCap);
            painter.setPen(pen);
            painter.drawPoint(QPointF(x + sampleWidth / 2, y));
        }
        x += sampleWidth + Gap;
        painter.setPen(QColor(plotColours(m_scheme).axisText));
        const double textWidth = metrics.horizontalAdvance(data.series.name);
        painter.drawText(QRectF(x, Gap, textWidth, m_lineHeight), Qt::AlignLeft | Qt::AlignVCenter,
                         data.series.name);
        x += textWidth + 3 * Gap;
    }
}
