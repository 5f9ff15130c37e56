// SPDX-License-Identifier: MIT
// Paints the application's pictures and writes them as PNG files, and the
// icon also as SVG, into the folder given on the command line. Run it again only to change the
// artwork; the pictures it wrote are checked in, so a normal build needs no fonts.
//
//   QT_QPA_PLATFORM=offscreen make-artwork resources

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QSvgGenerator>
#include <QTextStream>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr QRgb WindowBackground = 0xffc0c0ff;
constexpr QRgb Navy = 0xff10204a;
constexpr QRgb Orange = 0xffff7a22;
constexpr QRgb OrangeDark = 0xffd84a12;

// The same pseudo-random sequence on every machine, so rerunning the tool
// reproduces the checked-in pictures.
class Dice
{
public:
    explicit Dice(quint32 seed)
        : m_state(seed)
    { }
    double next()
    {
        m_state = m_state * 1664525u + 1013904223u;
        return (m_state >> 8) / double(1u << 24);
    }
    double between(double low, double high) { return low + (high - low) * next(); }

private:
    quint32 m_state;
};

// Box blur, three passes each way: close enough to a Gaussian for a shadow.
QImage blurred(const QImage &source, int radius)
{
    QImage image = source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int width = image.width();
    const int height = image.height();
    std::vector<int> sums(4);
    auto pass = [&](bool horizontal) {
        const int lines = horizontal ? height : width;
        const int length = horizontal ? width : height;
        std::vector<QRgb> line(length);
        for (int l = 0; l < lines; ++l) {
            auto at = [&](int i) -> QRgb & {
                return reinterpret_cast<QRgb *>(
                    image.scanLine(horizontal ? l : i))[horizontal ? i : l];
            };
            for (int i = 0; i < length; ++i)
                line[i] = at(i);
            for (int i = 0; i < length; ++i) {
                std::fill(sums.begin(), sums.end(), 0);
                int count = 0;
                for (int k = std::max(0, i - radius); k <= std::min(length - 1, i + radius); ++k) {
                    sums[0] += qAlpha(line[k]);
                    sums[1] += qRed(line[k]);
                    sums[2] += qGreen(line[k]);
                    sums[3] += qBlue(line[k]);
                    ++count;
                }
                at(i) = qRgba(sums[1] / count, sums[2] / count, sums[3] / count, sums[0] / count);
            }
        }
    };
    for (int i = 0; i < 3; ++i) {
        pass(true);
        pass(false);
    }
    return image;
}

// A ridge line across the whole width: a few sines of different lengths
// added together, filled down to the bottom edge.
QPainterPath ridge(qreal width, qreal height, qreal base, const std::vector<QPointF> &waves,
                   qreal phase)
{
    QPainterPath path;
    path.moveTo(0, height);
    for (qreal x = 0; x <= width; x += 2) {
        qreal y = base;
        for (const QPointF &wave : waves)
            y += wave.y() * std::sin(x / wave.x() + phase * wave.x());
        path.lineTo(x, y);
    }
    path.lineTo(width, height);
    path.closeSubpath();
    return path;
}

// A hill whose height follows the control points, smoothly joined.
QPainterPath hill(const std::vector<QPointF> &points, qreal height)
{
    QPainterPath path;
    path.moveTo(points.front().x(), height);
    path.lineTo(points.front());
    for (size_t i = 1; i < points.size(); ++i) {
        const QPointF &a = points[i - 1];
        const QPointF &b = points[i];
        const qreal mid = (a.x() + b.x()) / 2;
        path.cubicTo(QPointF(mid, a.y()), QPointF(mid, b.y()), b);
    }
    path.lineTo(points.back().x(), height);
    path.closeSubpath();
    return path;
}

void paintCloud(QPainter &painter, Dice &dice, QPointF centre, qreal size)
{
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < 7; ++i) {
        const QPointF puff
            = centre + QPointF(dice.between(-1.6, 1.6) * size, dice.between(-0.35, 0.25) * size);
        const qreal radius = size * dice.between(0.55, 0.95);
        QRadialGradient gradient(puff, radius);
        gradient.setColorAt(0, QColor(255, 255, 255, 150));
        gradient.setColorAt(0.6, QColor(255, 255, 255, 70));
        gradient.setColorAt(1, QColor(255, 255, 255, 0));
        painter.setBrush(gradient);
        painter.drawEllipse(puff, radius * 1.6, radius);
    }
}

QImage paintBanner()
{
    const QSize size(626, 98);
    const qreal w = size.width();
    const qreal h = size.height();
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    Dice dice(20240611);

    QLinearGradient sky(0, 0, 0, 66);
    sky.setColorAt(0, QColor(0x1b, 0x47, 0x91));
    sky.setColorAt(0.45, QColor(0x4f, 0x8f, 0xd4));
    sky.setColorAt(1, QColor(0xd8, 0xea, 0xf6));
    painter.fillRect(image.rect(), sky);

    // A low sun on the right warms the sky around it.
    const QPointF sun(604, 44);
    QRadialGradient glow(sun, 140);
    glow.setColorAt(0, QColor(255, 244, 200, 230));
    glow.setColorAt(0.15, QColor(255, 230, 170, 150));
    glow.setColorAt(1, QColor(255, 220, 160, 0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(glow);
    painter.drawEllipse(sun, 180, 100);
    painter.setBrush(QColor(255, 250, 225));
    painter.drawEllipse(sun, 9, 9);

    for (const QPointF &cloud :
         {QPointF(70, 20), QPointF(230, 12), QPointF(400, 24), QPointF(560, 12)})
        paintCloud(painter, dice, cloud, dice.between(9, 14));

    // Streaks of wind across the sky.
    QPen streak(QColor(255, 255, 255, 110));
    streak.setCapStyle(Qt::RoundCap);
    for (int i = 0; i < 6; ++i) {
        const qreal x = dice.between(10, 520);
        const qreal y = dice.between(8, 44);
        const qreal length = dice.between(50, 110);
        streak.setWidthF(dice.between(0.8, 1.6));
        painter.setPen(streak);
        QPainterPath path(QPointF(x, y));
        path.cubicTo(QPointF(x + length * 0.4, y - 4), QPointF(x + length * 0.7, y + 3),
                     QPointF(x + length, y - 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(path);
    }
    painter.setPen(Qt::NoPen);

    // Far hills fade into the haze.
    painter.setBrush(QColor(0x8a, 0xa6, 0xc8));
    painter.drawPath(ridge(w, h, 60, {{37, 3}, {13, 1.5}, {81, 4}}, 0.7));

    // The sea fills the lower right; the land in front of it hides the rest.
    QLinearGradient sea(0, 64, 0, h);
    sea.setColorAt(0, QColor(0x4d, 0x8c, 0xc4));
    sea.setColorAt(1, QColor(0x17, 0x46, 0x7e));
    painter.setBrush(sea);
    painter.drawRect(QRectF(0, 66, w, h - 66));
    for (int i = 0; i < 40; ++i) {
        const qreal y = dice.between(68, h);
        const qreal x = dice.between(330, w);
        const qreal length = dice.between(6, 22) * (y - 60) / 30;
        painter.setPen(QPen(QColor(255, 255, 255, int(dice.between(60, 150))), 1));
        painter.drawLine(QPointF(x, y), QPointF(x + length, y));
    }
    // The sun's reflection: broken glints that widen towards the shore.
    for (int i = 0; i < 14; ++i) {
        const qreal y = 68 + i * 2.2;
        const qreal half = 3 + i * 1.1 + dice.between(0, 3);
        const qreal x = sun.x() + dice.between(-4, 4);
        painter.setPen(QPen(QColor(255, 240, 200, 220 - i * 12), 1.2));
        painter.drawLine(QPointF(x - half, y), QPointF(x + half, y));
    }
    painter.setPen(Qt::NoPen);

    QLinearGradient middle(0, 48, 0, h);
    middle.setColorAt(0, QColor(0x78, 0xb0, 0x58));
    middle.setColorAt(1, QColor(0x3f, 0x7a, 0x36));
    painter.setBrush(middle);
    painter.drawPath(hill({{0, 60}, {90, 50}, {190, 57}, {300, 66}, {390, 80}, {460, 104}}, h));

    QLinearGradient front(0, 72, 0, h);
    front.setColorAt(0, QColor(0x3e, 0x80, 0x3a));
    front.setColorAt(1, QColor(0x1d, 0x4a, 0x22));
    painter.setBrush(front);
    painter.drawPath(hill({{0, 78}, {120, 84}, {230, 80}, {320, 92}, {360, 104}}, h));

    // The lettering: gold, outlined in navy, lifted off the picture by a
    // soft shadow.
    QFont font(QStringLiteral("Liberation Serif"));
    font.setBold(true);
    font.setPixelSize(54);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 3);
    QPainterPath text;
    text.addText(0, 0, font, QStringLiteral("WIND CONDITION"));
    const QRectF bounds = text.boundingRect();
    text.translate(QPointF(w / 2, h / 2 - 2) - bounds.center());

    QImage shadow(size, QImage::Format_ARGB32_Premultiplied);
    shadow.fill(Qt::transparent);
    {
        QPainter shade(&shadow);
        shade.setRenderHint(QPainter::Antialiasing);
        shade.setPen(QPen(QColor(0, 0, 0, 170), 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        shade.setBrush(QColor(0, 0, 0, 170));
        shade.drawPath(text.translated(3, 3));
    }
    painter.drawImage(0, 0, blurred(shadow, 2));

    painter.setPen(QPen(QColor(Navy), 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(text);

    const QRectF placed = text.boundingRect();
    QLinearGradient gold(0, placed.top(), 0, placed.bottom());
    gold.setColorAt(0, QColor(0xff, 0xff, 0xf2));
    gold.setColorAt(0.45, QColor(0xff, 0xe4, 0x8a));
    gold.setColorAt(0.55, QColor(0xf6, 0xc0, 0x3c));
    gold.setColorAt(1, QColor(0xc8, 0x82, 0x14));
    painter.setPen(Qt::NoPen);
    painter.setBrush(gold);
    painter.drawPath(text);

    painter.end();
    return image.convertToFormat(QImage::Format_RGB888);
}

QImage paintWarning()
{
    QImage image(73, 57, QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(WindowBackground));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    const QPolygonF triangle{{QPointF(36.5, 4.5), QPointF(69, 53), QPointF(4, 53)}};
    QLinearGradient yellow(0, 4, 0, 53);
    yellow.setColorAt(0, QColor(0xff, 0xe4, 0x4a));
    yellow.setColorAt(1, QColor(0xf8, 0xc4, 0x00));
    painter.setPen(QPen(QColor(0xd0, 0x14, 0x14), 5.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(yellow);
    painter.drawPolygon(triangle);

    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    painter.drawPolygon(
        QPolygonF{{QPointF(33.2, 19), QPointF(39.8, 19), QPointF(38, 40), QPointF(35, 40)}});
    painter.drawEllipse(QPointF(36.5, 46), 3.4, 3.4);

    painter.end();
    return image.convertToFormat(QImage::Format_RGB888);
}

// A compass disc with the application's orange wind arrow, drawn into a side
// × side square. Drawn in a 48-unit square; line widths never fall below one
// pixel, and the smallest size leaves out the ring and the ticks, which would
// only blur.
void drawIcon(QPainter &painter, int side)
{
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal unit = side / 48.0;
    painter.scale(unit, unit);
    auto pen = [unit](QColor colour, qreal width) {
        QPen result(colour, std::max(width, 1.0 / unit));
        result.setJoinStyle(Qt::RoundJoin);
        result.setCapStyle(Qt::RoundCap);
        return result;
    };

    const QPointF centre(24, 24);
    QRadialGradient disc(QPointF(18, 16), 32);
    disc.setColorAt(0, QColor(0x5d, 0x9c, 0xe8));
    disc.setColorAt(1, QColor(0x14, 0x34, 0x78));
    painter.setPen(pen(QColor(Navy), 1.5));
    painter.setBrush(disc);
    painter.drawEllipse(centre, 22.5, 22.5);
    if (side >= 32) {
        painter.setPen(pen(QColor(255, 255, 255, 200), 1.2));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(centre, 19.5, 19.5);
        painter.setPen(pen(Qt::white, 2));
        for (int quarter = 0; quarter < 4; ++quarter) {
            painter.save();
            painter.translate(centre);
            painter.rotate(90 * quarter);
            painter.drawLine(QPointF(0, -19.5), QPointF(0, -15));
            painter.restore();
        }
    }

    painter.translate(centre);
    painter.rotate(45);
    // With only a few pixels to spare, the arrow is what must still read.
    if (side < 32)
        painter.scale(1.2, 1.2);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(QRectF(-2.2, -8, 4.4, 24), 2, 2);
    QLinearGradient head(-9, 0, 9, 0);
    head.setColorAt(0, QColor(Orange));
    head.setColorAt(1, QColor(OrangeDark));
    painter.setPen(pen(QColor(Navy), 1.2));
    painter.setBrush(head);
    painter.drawPolygon(
        QPolygonF{{QPointF(0, -20), QPointF(9.5, -4), QPointF(0, -8), QPointF(-9.5, -4)}});
}

QImage paintIcon(int side)
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    drawIcon(painter, side);
    painter.end();
    return image;
}

// The same icon as SVG, for the desktop's scalable icon theme folder: drawn
// at the largest size, where no line is widened to a whole pixel.
QByteArray paintScalableIcon()
{
    constexpr int Side = 256;
    QBuffer buffer;
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(QSize(Side, Side));
    generator.setViewBox(QRect(0, 0, Side, Side));
    generator.setTitle(QStringLiteral("Wind Condition"));
    generator.setDescription(QStringLiteral("A compass disc with a wind arrow"));
    QPainter painter(&generator);
    drawIcon(painter, Side);
    painter.end();
    return buffer.data();
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList arguments = app.arguments();
    if (arguments.size() != 2) {
        err << "usage: make-artwork OUTPUT_FOLDER\n";
        return 2;
    }
    const QDir folder(arguments.at(1));
    if (!folder.exists()) {
        err << "make-artwork: no folder " << folder.path() << '\n';
        return 1;
    }

    const QList<std::pair<QString, QImage>> pictures{
        {QStringLiteral("icon-16.png"), paintIcon(16)},
        {QStringLiteral("icon-32.png"), paintIcon(32)},
        {QStringLiteral("icon-48.png"), paintIcon(48)},
        {QStringLiteral("icon-64.png"), paintIcon(64)},
        {QStringLiteral("icon-128.png"), paintIcon(128)},
        {QStringLiteral("icon-256.png"), paintIcon(256)},
        {QStringLiteral("banner.png"), paintBanner()},
        {QStringLiteral("warning.png"), paintWarning()},
    };
    for (const auto &[name, image] : pictures) {
        const QString path = folder.filePath(name);
        if (!image.save(path, "PNG")) {
            err << "make-artwork: cannot write " << path << '\n';
            return 1;
        }
    }
    QFile svg(folder.filePath(QStringLiteral("icon.svg")));
    if (!svg.open(QIODevice::WriteOnly) || svg.write(paintScalableIcon()) < 0) {
        err << "make-artwork: cannot write " << svg.fileName() << '\n';
        return 1;
    }
    return 0;
}
