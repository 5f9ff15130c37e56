// SPDX-License-Identifier: MIT
#include "rosepicture.h"

#include "core/barscalebands.h"
#include "core/windrose.h"
#include "fixednumber.h"

#include <QDateTime>
#include <QtMath>

#include <cmath>

namespace {

constexpr int width = 820;
constexpr int height = 600;
constexpr double centreX = 280;
constexpr double centreY = 340;
// The outermost ring, and the calm circle the wedges start from.
constexpr double outerRadius = 210;
constexpr double calmRadius = 30;
// Each wedge leaves a little of its sector's 22.5 degrees free on each side.
constexpr double wedgeHalfDegrees = 9.5;
constexpr char outline[] = "#303030";

QByteArray number(double value)
{
    QByteArray text;
    appendFixed(text, value, 1);
    return text;
}

QByteArray colour(quint32 rgb)
{
    return '#' + QByteArray::number(rgb, 16).rightJustified(6, '0').toUpper();
}

QByteArray percentText(double percent)
{
    QByteArray text;
    appendFixed(text, percent, percent == std::floor(percent) ? 0 : 1);
    return text + " %";
}

// A point at radius r in compass direction degrees (clockwise from north,
// which is up).
QByteArray point(double radius, double degrees)
{
    const double radians = qDegreesToRadians(degrees);
    return number(centreX + radius * std::sin(radians)) + ','
        + number(centreY - radius * std::cos(radians));
}

// The rings' spacing in percent: a step of 1, 2 or 5 times a power of ten
// that needs at most five rings to reach the longest wedge.
double ringStep(double longest)
{
    for (double step = 0.1;; step *= 10) {
        for (const double factor : {1.0, 2.0, 5.0}) {
            if (longest <= 5 * step * factor)
                return step * factor;
        }
    }
}

QByteArray timeText(qint64 utcMs)
{
    return QDateTime::fromMSecsSinceEpoch(utcMs, Qt::UTC)
        .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
        .toLatin1();
}

QByteArray text(double x, double y, const QByteArray &content, const QByteArray &attributes = {})
{
    QByteArray element = "<text x=\"" + number(x) + "\" y=\"" + number(y) + '"';
    if (!attributes.isEmpty())
        element += ' ' + attributes;
    return element + '>' + content + "</text>\n";
}

QByteArray forceRange(int first, int last)
{
    QByteArray range = "Force " + QByteArray::number(first);
    if (last != first)
        range += "\u2013" + QByteArray::number(last);
    QByteArray speeds;
    appendFixed(speeds, WmoBeaufortLimits[first - 1], 1);
    if (last < WindRoseRules::forces) {
        speeds += " to ";
        appendFixed(speeds, WmoBeaufortLimits[last], 1);
        speeds += " m/s";
    } else {
        speeds += " m/s and more";
    }
    return range + ": " + speeds;
}

} // namespace

QByteArray windRoseSvg(const WindRose &rose, std::optional<qint64> firstMs,
                       std::optional<qint64> lastMs)
{
    const QByteArray description = windRoseDescription(rose).toUtf8();
    QByteArray span = "No samples";
    if (firstMs && lastMs)
        span = timeText(*firstMs) + " to " + timeText(*lastMs) + " UTC, "
            + QByteArray::number(rose.sampleCount()) + " samples";

    QByteArray svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                     "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\""
        + QByteArray::number(width) + "\" height=\"" + QByteArray::number(height)
        + "\" viewBox=\"0 0 " + QByteArray::number(width) + ' ' + QByteArray::number(height)
        + "\" font-family=\"DejaVu Sans, Arial, sans-serif\" font-size=\"13\">\n";
    svg += "<title>Wind rose</title>\n<desc>" + span + ". " + description + ".</desc>\n";
    svg += "<rect width=\"100%\" height=\"100%\" fill=\"#FFFFFF\"/>\n";
    svg += text(24, 36, "Wind rose", "font-size=\"22\" font-weight=\"bold\"");
    svg += text(24, 60, span);
    svg += text(24, 80, description);

    double longest = 0;
    for (int sector = 0; sector < WindRoseRules::sectors; ++sector)
        longest = std::max(longest, rose.percentOf(rose.sectorCount(sector)));
    // A rose without wedges still shows its rings, at a scale that suits
    // most roses.
    if (longest <= 0)
        longest = 10;
    const double step = ringStep(longest);
    const double ringsTo = std::max(1.0, std::ceil(longest / step - 1e-9)) * step;
    const auto radius = [&](double percent) {
        return calmRadius + (outerRadius - calmRadius) * percent / ringsTo;
    };

    // Rings and their shares, labelled along the gap between E and ESE.
    svg += "<g fill=\"none\" stroke=\"#A0A0A0\" stroke-dasharray=\"4 3\">\n";
    for (double ring = step; ring <= ringsTo + step / 2; ring += step)
        svg += "<circle cx=\"" + number(centreX) + "\" cy=\"" + number(centreY) + "\" r=\""
            + number(radius(ring)) + "\"/>\n";
    // A white halo keeps the labels readable over the wedges.
    svg += "</g>\n<g font-size=\"10\" fill=\"#505050\" stroke=\"#FFFFFF\" "
           "stroke-width=\"3\" paint-order=\"stroke\">\n";
    for (double ring = step; ring <= ringsTo + step / 2; ring += step) {
        const double radians = qDegreesToRadians(101.25);
        svg += text(centreX + radius(ring) * std::sin(radians) + 2,
                    centreY - radius(ring) * std::cos(radians) + 4, percentText(ring));
    }
    svg += "</g>\n";

    // The wedges, each force a piece further out.
    svg += "<g stroke=\"" + QByteArray(outline) + "\" stroke-width=\"0.6\">\n";
    for (int sector = 0; sector < WindRoseRules::sectors; ++sector) {
        const qint64 samples = rose.sectorCount(sector);
        if (samples == 0)
            continue;
        QByteArray share;
        appendFixed(share, rose.percentOf(samples), 2);
        svg += "<g><title>" + windRoseSectorName(sector).toLatin1() + ' ' + share + " %</title>\n";
        const double from = WindRoseRules::sectorWidthDegrees * sector - wedgeHalfDegrees;
        const double to = WindRoseRules::sectorWidthDegrees * sector + wedgeHalfDegrees;
        qint64 below = 0;
        for (int force = 1; force <= WindRoseRules::forces; ++force) {
            const qint64 count = rose.count(sector, force);
            if (count == 0)
                continue;
            const double inner = radius(rose.percentOf(below));
            below += count;
            const double outer = radius(rose.percentOf(below));
            svg += "<path fill=\"" + colour(beaufortForceBand(force).dayRgb) + "\" d=\"M"
                + point(outer, from) + " A" + number(outer) + ',' + number(outer) + " 0 0 1 "
                + point(outer, to) + " L" + point(inner, to) + " A" + number(inner) + ','
                + number(inner) + " 0 0 0 " + point(inner, from) + " Z\"/>\n";
        }
        svg += "</g>\n";
    }
    svg += "</g>\n";

    // Calm in the centre.
    svg += "<circle cx=\"" + number(centreX) + "\" cy=\"" + number(centreY) + "\" r=\""
        + number(calmRadius) + "\" fill=\"#FFFFFF\" stroke=\"" + outline + "\"/>\n";
    QByteArray calm;
    appendFixed(calm, rose.percentOf(rose.calmCount()), 1);
    svg += "<g text-anchor=\"middle\" font-size=\"10\">\n";
    svg += text(centreX, centreY - 3, "calm");
    svg += text(centreX, centreY + 10, calm + " %");
    svg += "</g>\n";

    // The sector names outside the rings.
    svg += "<g text-anchor=\"middle\">\n";
    for (int sector = 0; sector < WindRoseRules::sectors; ++sector) {
        const double radians = qDegreesToRadians(WindRoseRules::sectorWidthDegrees * sector);
        const double distance = outerRadius + 20;
        svg += text(centreX + distance * std::sin(radians),
                    centreY - distance * std::cos(radians) + 5,
                    windRoseSectorName(sector).toLatin1(),
                    sector % 4 == 0 ? "font-weight=\"bold\"" : "font-size=\"11\"");
    }
    svg += "</g>\n";

    // The legend: one entry for each run of forces that share a colour.
    const double legendX = 570;
    double legendY = 170;
    svg += text(legendX, legendY, "Beaufort force", "font-weight=\"bold\"");
    legendY += 14;
    for (int first = 1; first <= WindRoseRules::forces;) {
        int last = first;
        while (last < WindRoseRules::forces
               && beaufortForceBand(last + 1).dayRgb == beaufortForceBand(first).dayRgb)
            ++last;
        svg += "<rect x=\"" + number(legendX) + "\" y=\"" + number(legendY) + "\" width=\"22\" "
            + "height=\"14\" fill=\"" + colour(beaufortForceBand(first).dayRgb) + "\" stroke=\""
            + outline + "\" stroke-width=\"0.6\"/>\n";
        svg += text(legendX + 30, legendY + 11, forceRange(first, last), "font-size=\"11\"");
        legendY += 22;
        first = last + 1;
    }
    legendY += 10;
    svg += text(legendX, legendY, "Centre: calm, below 0.5 m/s", "font-size=\"11\"");
    svg += text(legendX, legendY + 18, "Rings: share of all samples", "font-size=\"11\"");
    svg += text(legendX, legendY + 36, "Wedges point where the", "font-size=\"11\"");
    svg += text(legendX, legendY + 50, "wind comes from", "font-size=\"11\"");
    svg += "</svg>\n";
    return svg;
}
