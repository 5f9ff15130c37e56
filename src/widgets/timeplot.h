// SPDX-License-Identifier: MIT
#pragma once

#include "colourscheme.h"

#include <QColor>
#include <QList>
#include <QPixmap>
#include <QString>
#include <QWidget>

#include <bitset>
#include <vector>

// A painted plot of values against time, over a span that ends at a given
// moment, newest on the right. It knows nothing of what the values mean.
//
// Points are gathered into a fixed number of columns across the span, so a
// picture costs the same whether the span holds a minute of data or an hour
// at 40 points a second: a line keeps each column's first, lowest, highest
// and last value (drawn as one stroke, which looks the same as every point
// joined), a point series each column's distinct heights.
//
// The data are given anew for each picture: beginData(), addPoint() for every
// point, endData().
class TimePlot : public QWidget
{
    Q_OBJECT

public:
    enum class Style {
        Line, // consecutive points joined, except across a gap longer than the joined gap
        Points, // every point on its own, never joined
    };

    struct Series
    {
        QString name; // in the legend
        Style style = Style::Line;
        QColor colour;
    };

    struct Tick
    {
        double value = 0;
        QString label;
    };

    // Columns across the span: more than the pixels of any plot on a usual
    // screen, so that no column is wider than a pixel.
    static constexpr int Columns = 1200;
    // Distinct heights a point series keeps a column.
    static constexpr int PointLevels = 256;

    explicit TimePlot(QWidget *parent = nullptr);
    ~TimePlot() override;

    // Sets the series, in the order addPoint() numbers them, and clears the
    // data.
    void setSeries(const QList<Series> &series);
    // The value axis runs from minimum (bottom) to maximum (top), with a
    // labelled grid line at each tick. A line keeps its values as given, so
    // the axis may be set after them; a point series is placed on the axis as
    // it stands when its points are added.
    void setValueAxis(double minimum, double maximum, const QList<Tick> &ticks);
    // A line is broken where two consecutive points are further apart.
    void setLongestJoinedGap(qint64 ms) { m_longestJoinedGapMs = ms; }
    // Written in the middle while the span holds no point.
    void setEmptyText(const QString &text);

    // Starts a new picture of endMs - spanMs < t <= endMs.
    void beginData(qint64 endMs, qint64 spanMs);
    // Points of one series come in time order; those outside the span are
    // left out.
    void addPoint(int series, qint64 timeMs, double value);
    // Shows the new picture.
    void endData();

    // The colours of the frame, grid and labels; the series keep the
    // colours setSeries() gave them.
    void setColourScheme(ColourScheme scheme);

    qint64 spanMs() const { return m_spanMs; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    struct LineColumn
    {
        float first = 0;
        float low = 0;
        float high = 0;
        float last = 0;
        bool used = false;
        // The series was broken by a gap before this column's first point.
        bool breakBefore = false;
    };

    struct SeriesData
    {
        Series series;
        std::vector<LineColumn> lines; // a line series' columns
        std::vector<std::bitset<PointLevels>> levels; // a point series' columns
        qint64 lastTimeMs = 0;
        bool hasLast = false;
    };

    void computeMetrics();
    double yFor(double value) const;
    double xForColumn(int column) const;
    void paintFrame(QPainter &painter) const;
    void paintTimeAxis(QPainter &painter) const;
    void paintValueAxis(QPainter &painter) const;
    void paintData(QPainter &painter) const;
    void paintLine(QPainter &painter, const SeriesData &data) const;
    void paintPoints(QPainter &painter, const SeriesData &data) const;
    void paintLegend(QPainter &painter) const;

    ColourScheme m_scheme = ColourScheme::Day;
    std::vector<SeriesData> m_data;
    double m_minimum = 0;
    double m_maximum = 1;
    QList<Tick> m_ticks;
    qint64 m_longestJoinedGapMs = 5000;
    QString m_emptyText;
    qint64 m_endMs = 0;
    qint64 m_spanMs = 10 * 60 * 1000;
    bool m_hasPoints = false;

    // Recomputed when the size or the font changes.
    QRectF m_plotArea;
    int m_lineHeight = 0;
    // The frame, grid, labels and legend; null when they must be drawn anew.
    QPixmap m_background;
};
