// SPDX-License-Identifier: MIT
// The main window's fixed layout, in twips as the window was designed.

#include "windwindowcontrols.h"

#include "core/barscalebands.h"
#include "feed/windfeed.h"
#include "widgets/barlabel.h"
#include "widgets/clockwidget.h"
#include "widgets/compasswidget.h"
#include "widgets/framebox.h"
#include "widgets/pngpicture.h"
#include "widgets/twips.h"
#include "widgets/windowfont.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTimer>

#include <functional>

namespace {

const QColor WindowBackground(0xC0C0FF);
const QColor BarRed(0xFF0000);
const QColor AngleHeading(0xC00000);
const QColor StaleText(0x80, 0x80, 0x80);

// Night colours of the controls above: black where the window is pale, the
// bars a red that stands apart from the text and the bands.
const QColor NightBar(0xA00000);
const QColor NightHeading(NightRed::Mid);

QFont readoutFont() // 27.75 pt bold
{
    return windowFont(QStringLiteral("Arial"), 37, true);
}

void paintBackground(QWidget *widget, const QColor &background)
{
    QPalette palette = widget->palette();
    palette.setColor(widget->backgroundRole(), background);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QLabel *makeLabel(QWidget *parent, const QRect &geometry, const QString &text, const QFont &font,
                  const QColor &background)
{
    auto *label = new QLabel(text, parent);
    label->setGeometry(geometry);
    // Fixed as the layout places it: a label of fixed size does not post its
    // parent a request to lay it out again every time its text changes.
    label->setFixedSize(geometry.size());
    label->setFont(font);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    paintBackground(label, background);
    return label;
}

QPushButton *makeWhiteButton(QWidget *parent, const QRect &geometry, const QString &text)
{
    auto *button = new QPushButton(text, parent);
    button->setGeometry(geometry);
    QPalette palette = button->palette();
    palette.setColor(QPalette::Button, Qt::white);
    button->setPalette(palette);
    return button;
}

// The bar scale: colour bands, dash rows and text rows.
enum class RowKind { Band, Dash, Text };
constexpr int HighlightText = -1;
constexpr int NoText = -2;

struct ScaleRow
{
    const char *inspectorName;
    int top;
    int height;
    QRgb background;
    int textColour; // an RGB value, HighlightText or NoText
    RowKind kind;
    const char *text;
};

const char Dashes[]
    = " - - - - - - - - - - - - - - - - - - - - - - - - -  - - - - - - - - - - - - - "
      "- - - - - - - - - - -";

// From the top of the frame down. The bands darken from white (calm) to navy
// (storm); the text rows stand 480 twips apart, so a bar's top edge meets
// the middle of the row that prints its km/h value.
const ScaleRow ScaleRows[] = {
    {"Label4_1", 0, 255, 0x000000, HighlightText, RowKind::Text,
     "  km/h           mph           knots         Bfr                "},
    {"Label4_3", 240, 255, 0x000000, HighlightText, RowKind::Text,
     "- - 213 - - - - - - - - -  134 - - - - - - - - - 116 - - - - - - - - -12 - - - - - - - -"},
    {"Label4_2", 480, 135, 0x000000, HighlightText, RowKind::Dash, Dashes},
    {"Label4_0", 600, 135, 0x000040, HighlightText, RowKind::Dash, " "},
    {"Label4_4", 720, 255, 0x000040, HighlightText, RowKind::Text,
     " - 189.3 - - - - - - - -  117.6 - - - - - - - -102.2 - - - - - - - 12  - - - - - - - -"},
    {"Label4_13", 960, 135, 0x000040, HighlightText, RowKind::Dash, Dashes},
    {"Label4_21", 1080, 135, 0x000040, NoText, RowKind::Band, ""},
    {"Label4_6", 1200, 255, 0x000080, HighlightText, RowKind::Text,
     " - 165.7 - - - - - - - -   103  - - - - - - - -  89.5   - - - - - - -12 - - - - - - - -"},
    {"Label4_14", 1440, 135, 0x000080, HighlightText, RowKind::Dash, Dashes},
    {"Label4_22", 1560, 135, 0x000080, NoText, RowKind::Band, ""},
    {"Label4_5", 1680, 255, 0x0000C0, HighlightText, RowKind::Text,
     " - -142 - - - - - - - - -   88.2 - - - - - - - - -76.7 - - - - - - -  12 - - - - - - - - -"},
    {"Label4_15", 1920, 135, 0x0000C0, HighlightText, RowKind::Dash, Dashes},
    {"Label4_23", 2040, 135, 0x0000C0, NoText, RowKind::Band, ""},
    {"Label4_7", 2160, 255, 0x0000FF, HighlightText, RowKind::Text,
     " - -118..3 - - - - - - - - 73.5 - - - - - - - - -63.9 - - - - - - - -12 - - - - - - - -"},
    {"Label4_16", 2400, 135, 0x0000FF, HighlightText, RowKind::Dash, Dashes},
    {"Label4_25", 2520, 135, 0x0000FF, NoText, RowKind::Band, ""},
    {"Label4_8", 2640, 255, 0x8080FF, 0x000000, RowKind::Text,
     " - -94.7 - - - - - - - - - -58.8 - - - - - - - - -51.1 - - - - - - - 10.6 - - - - - - -"},
    {"Label4_17", 2880, 135, 0x8080FF, 0x000000, RowKind::Dash, Dashes},
    {"Label4_26", 3000, 135, 0x8080FF, NoText, RowKind::Band, ""},
    {"Label4_9", 3120, 255, 0xC0C0FF, 0x000000, RowKind::Text,
     " - - 71  - - - - - - - - -   44.1   - - - - - - -  38.3   - - - - - -  8.7  - - - - - - - -"},
    {"Label4_18", 3360, 135, 0xC0C0FF, 0x000000, RowKind::Dash, Dashes},
    {"Label4_27", 3480, 135, 0xC0C0FF, NoText, RowKind::Band, ""},
    {"Label4_10", 3600, 255, 0xC0FFFF, 0x000000, RowKind::Text,
     " - - 47.3  - - - - - - - -  29.4  - - - - - - -   25.5   - - - - - -  6.8  - - - - - - - -"},
    {"Label4_19", 3840, 135, 0xC0FFFF, 0x000000, RowKind::Dash, Dashes},
    {"Label4_28", 3960, 135, 0xC0FFFF, NoText, RowKind::Band, ""},
    {"Label4_11", 4080, 255, 0xFFFFC0, 0x000000, RowKind::Text,
     " - - 23.7  - - - - - - - -  14.7  - - - - - - -   12.8   - - - - - -  4.5  - - - - - - - -"},
    {"Label4_20", 4320, 135, 0xFFFFC0, 0x000000, RowKind::Dash, Dashes},
    {"Label4_30", 4440, 135, 0xFFFFFF, NoText, RowKind::Band, ""},
    {"Label4_12", 4560, 255, 0xFFFFFF, 0x000000, RowKind::Text,
     " - -   0  - - - - - - - - - -   0  - - - - - - - - - -   0  - - - - - - - -   0  - - - - - - "
     "- -"},
    {"Label4_29", 4800, 15, 0xFFFFFF, NoText, RowKind::Band, ""},
};

// Lies above the frame and is never seen; the scale keeps every row it was
// drawn with.
const ScaleRow HiddenRow = {"Label4_24", -480, 135, 0x000040, NoText, RowKind::Band, ""};

// At night each row takes its band's night colour from the one table of
// bands, which the wind rose shares.
QColor bandColour(const ScaleRow &row, ColourScheme scheme)
{
    if (scheme == ColourScheme::Day)
        return QColor(QRgb(row.background));
    for (const BarScaleBand &band : BarScaleBands) {
        if (band.dayRgb == row.background)
            return QColor(QRgb(band.nightRgb));
    }
    return QColor(NightRed::Black);
}

QColor rowTextColour(const ScaleRow &row, ColourScheme scheme)
{
    if (scheme == ColourScheme::Night)
        return QColor(NightRed::Bright);
    // The day palette's, whatever the application shows now.
    return row.textColour == HighlightText
        ? QApplication::style()->standardPalette().color(QPalette::HighlightedText)
        : QColor(QRgb(row.textColour));
}

void colourScaleRow(QLabel *label, const ScaleRow &row, ColourScheme scheme)
{
    QPalette palette = label->palette();
    palette.setColor(label->backgroundRole(), bandColour(row, scheme));
    palette.setColor(QPalette::WindowText, rowTextColour(row, scheme));
    label->setPalette(palette);
}

// The scale's rows in the order the layout made them, each with its row of
// the table.
void forEachScaleRow(const WindWindowControls &c,
                     const std::function<void(QLabel *, const ScaleRow &)> &visit)
{
    visit(c.hiddenScaleRow, HiddenRow);
    const std::pair<RowKind, const QList<QLabel *> *> kinds[] = {
        {RowKind::Band, &c.scaleBands},
        {RowKind::Dash, &c.scaleDashRows},
        {RowKind::Text, &c.scaleTextRows},
    };
    for (const auto &[kind, rows] : kinds) {
        qsizetype index = 0;
        for (const ScaleRow &row : ScaleRows) {
            if (row.kind == kind)
                visit(rows->at(index++), row);
        }
    }
}

// Every wind readout and condition box says what it shows, so a screen reader
// announces "Wind speed in km/h" rather than a bare "3.6". A label's
// accessible name stays the text it shows.
void describeReadouts(const WindWindowControls &c)
{
    const std::pair<QLabel *, const char *> readouts[] = {
        {c.degreesReadout, "Wind direction in degrees"},
        {c.compassPointReadout, "Wind direction as a compass point"},
        {c.kmhReadout, "Wind speed in km/h"},
        {c.mphReadout, "Wind speed in mph"},
        {c.knotsReadout, "Wind speed in knots"},
        {c.beaufortReadout, "Wind force on the Beaufort scale"},
    };
    for (const auto &[readout, description] : readouts)
        readout->setAccessibleDescription(QString::fromLatin1(description));

    const std::pair<QLineEdit *, const char *> boxes[] = {
        {c.descriptionBox, "Wind description"},
        {c.seaBox, "Sea condition"},
        {c.landBox, "Land condition"},
    };
    for (const auto &[box, description] : boxes) {
        box->setAccessibleDescription(QString::fromLatin1(description));
        // A text box has no name of its own; keep it on the text it shows.
        box->setAccessibleName(box->text());
        QObject::connect(box, &QLineEdit::textChanged, box, &QWidget::setAccessibleName);
    }
}

} // namespace

QColor valueReadoutColour(ColourScheme scheme, bool stale)
{
    if (scheme == ColourScheme::Night)
        return QColor(stale ? NightRed::Dark : NightRed::Bright);
    return stale ? StaleText : QApplication::style()->standardPalette().color(QPalette::WindowText);
}

void colourWindWindow(const WindWindowControls &c, ColourScheme scheme)
{
    const bool night = scheme == ColourScheme::Night;
    const QColor background = night ? QColor(NightRed::Black) : WindowBackground;
    QWidget *const window = c.listenButton->window();
    QWidget *const onBackground[] = {
        window,        c.directionBox,     c.kmhBox,         c.mphBox,     c.knotsBox,
        c.beaufortBox, c.directionHeading, c.degreesReadout, c.degreeSign, c.compassPointReadout,
        c.kmhReadout,  c.kmhUnit,          c.mphReadout,     c.mphUnit,    c.knotsReadout,
        c.knotsUnit,   c.beaufortReadout,  c.beaufortUnit,
    };
    for (QWidget *widget : onBackground)
        paintBackground(widget, background);
    paintBackground(c.scaleFrame,
                    night ? QColor(NightRed::Black)
                          : QApplication::style()->standardPalette().color(QPalette::Window));

    const auto setColour = [](QWidget *widget, QPalette::ColorRole role, const QColor &colour) {
        QPalette palette = widget->palette();
        palette.setColor(role, colour);
        widget->setPalette(palette);
    };
    setColour(c.directionHeading, QPalette::WindowText, night ? NightHeading : AngleHeading);
    for (QPushButton *button : {c.listenButton, c.hiddenButton, c.exampleModeButton, c.portButton})
        setColour(button, QPalette::Button, night ? QColor(NightRed::Faint) : QColor(Qt::white));
    for (QLineEdit *box : {c.descriptionBox, c.seaBox, c.landBox})
        setColour(box, QPalette::Base, background);
    for (BarLabel *bar : c.speedBars)
        paintBackground(bar, night ? NightBar : BarRed);
    forEachScaleRow(
        c, [scheme](QLabel *label, const ScaleRow &row) { colourScaleRow(label, row, scheme); });

    const std::pair<QLabel *, const char *> pictures[] = {
        {c.banner, ":/banner.png"},
        {c.warningSign, ":/warning.png"},
    };
    for (const auto &[label, resource] : pictures) {
        const QPixmap day = loadPngPicture(QString::fromLatin1(resource));
        label->setPixmap(night ? QPixmap::fromImage(nightPicture(day.toImage())) : day);
    }
    c.compassGauge->setColourScheme(scheme);
    c.clockGauge->setColourScheme(scheme);
}

WindWindowControls buildWindWindowLayout(QWidget *window)
{
    WindWindowControls c;
    window->setWindowTitle(QStringLiteral("WIND CONDITION SYSTEM"));
    window->setWindowIcon(QApplication::windowIcon());
    window->setFixedSize(twipsToPixels(13095), twipsToPixels(10695));
    window->setFont(defaultWindowFont());
    paintBackground(window, WindowBackground);

    const QFont conditionFont = windowFont(QStringLiteral("Arial"), 13, true);
    const QColor highlightText = QApplication::palette().color(QPalette::HighlightedText);

    // Created from the back to the front, so each control covers the ones
    // made before it where they overlap.
    c.banner = new QLabel(window);
    c.banner->setPixmap(loadPngPicture(QStringLiteral(":/banner.png")));
    c.banner->setGeometry(twipRect(1800, 240, 9390, 1470));

    c.warningSign = new QLabel(window);
    c.warningSign->setPixmap(loadPngPicture(QStringLiteral(":/warning.png")));
    c.warningSign->setScaledContents(true);
    c.warningSign->setGeometry(twipRect(3960, 9000, 975, 735));
    c.warningSign->hide();

    c.compassGauge = new CompassWidget(window);
    c.compassGauge->setGeometry(twipRect(360, 5040, 3735, 3135));
    c.compassGauge->setAccessibleName(QStringLiteral("Compass"));

    // The direction box.
    c.directionBox = new FrameBox(QString(), window);
    c.directionBox->setGeometry(twipRect(600, 8400, 3135, 1455));
    paintBackground(c.directionBox, WindowBackground);
    c.directionHeading
        = makeLabel(c.directionBox, twipRect(1200, 240, 1215, 495), QStringLiteral("Angle"),
                    windowFont(QStringLiteral("Arial"), 29, true), WindowBackground);
    {
        QPalette palette = c.directionHeading->palette();
        palette.setColor(QPalette::WindowText, AngleHeading);
        c.directionHeading->setPalette(palette);
    }
    c.degreesReadout = makeLabel(c.directionBox, twipRect(480, 720, 975, 615), QStringLiteral("89"),
                                 readoutFont(), WindowBackground);
    c.degreeSign = makeLabel(c.directionBox, twipRect(1560, 720, 255, 375), QStringLiteral("0"),
                             windowFont(QStringLiteral("Arial"), 15, true), WindowBackground);
    c.compassPointReadout = makeLabel(c.directionBox, twipRect(1920, 720, 1095, 615),
                                      QStringLiteral("NE"), readoutFont(), WindowBackground);

    // The value boxes: a readout and its unit caption side by side.
    const auto valueBox = [window](int top) {
        auto *box = new FrameBox(QString(), window);
        box->setGeometry(twipRect(5040, top, 3255, 855));
        paintBackground(box, WindowBackground);
        return box;
    };
    const auto boxLabel = [](FrameBox *box, int left, int width, const QString &text) {
        return makeLabel(box, twipRect(left, 120, width, 615), text, readoutFont(),
                         WindowBackground);
    };
    c.beaufortBox = valueBox(7560);
    c.beaufortReadout = boxLabel(c.beaufortBox, 240, 1215, QStringLiteral("50"));
    c.beaufortUnit = boxLabel(c.beaufortBox, 1920, 975, QStringLiteral("Bfr"));

    c.listenButton = makeWhiteButton(window, twipRect(1200, 10200, 3735, 615),
                                     QStringLiteral("Start Listening Serial Port..."));
    c.hiddenButton
        = makeWhiteButton(window, twipRect(11280, 1680, 1575, 615), QStringLiteral("Test Bytes"));
    c.hiddenButton->hide();
    c.exampleModeButton = makeWhiteButton(window, twipRect(8040, 10200, 3855, 555),
                                          QStringLiteral("Start Example Mode"));
    c.portButton = makeWhiteButton(window, twipRect(4920, 10440, 3135, 315),
                                   QStringLiteral("Select Serial Port"));

    c.mphBox = valueBox(4920);
    c.mphReadout = boxLabel(c.mphBox, 120, 1455, QStringLiteral("50"));
    c.mphUnit = boxLabel(c.mphBox, 1800, 1215, QStringLiteral("mph"));
    c.kmhBox = valueBox(6240);
    c.kmhReadout = boxLabel(c.kmhBox, 120, 1455, QStringLiteral("50"));
    c.kmhUnit = boxLabel(c.kmhBox, 1680, 1455, QStringLiteral("km/h"));
    c.knotsBox = valueBox(8880);
    c.knotsReadout = boxLabel(c.knotsBox, 120, 1335, QStringLiteral("50"));
    c.knotsUnit = boxLabel(c.knotsBox, 1560, 1575, QStringLiteral("knots"));

    c.clockGauge = new ClockWidget(window);
    c.clockGauge->setGeometry(twipRect(3960, 1920, 5055, 1455));
    c.clockGauge->setAccessibleName(QStringLiteral("Clock"));

    // The bar scale: bands at the back, then dash rows, then text rows, and
    // the bars in front of them all.
    c.scaleFrame = new FrameBox(QStringLiteral("Zorvane Systems"), window);
    c.scaleFrame->setGeometry(twipRect(8400, 5040, 4335, 4935));
    paintBackground(c.scaleFrame, QApplication::palette().color(QPalette::Window));
    const auto addScaleRow = [&c, highlightText](const ScaleRow &row, int left) {
        const QColor textColour
            = row.textColour == HighlightText ? highlightText : QColor(QRgb(row.textColour));
        const QFont font = row.top == 0
            ? windowFont(QStringLiteral("MS Sans Serif"), 13, true, true)
            : defaultWindowFont();
        QLabel *label
            = makeLabel(c.scaleFrame, twipRect(left, row.top, 4455, row.height),
                        QString::fromLatin1(row.text), font, QColor(QRgb(row.background)));
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, textColour);
        label->setPalette(palette);
        label->setObjectName(QLatin1String(row.inspectorName));
        return label;
    };
    c.hiddenScaleRow = addScaleRow(HiddenRow, 360);
    const std::pair<RowKind, QList<QLabel *> *> kinds[] = {
        {RowKind::Band, &c.scaleBands},
        {RowKind::Dash, &c.scaleDashRows},
        {RowKind::Text, &c.scaleTextRows},
    };
    for (const auto &[kind, rows] : kinds) {
        for (const ScaleRow &row : ScaleRows) {
            if (row.kind == kind)
                rows->append(addScaleRow(row, 0));
        }
    }
    const int barLefts[ScaleColumnCount] = {720, 1800, 2880, 3840};
    for (int column = 0; column < ScaleColumnCount; ++column) {
        auto *bar = new BarLabel(c.scaleFrame);
        bar->setGeometry(twipRect(barLefts[column], 4680, 255, 4815));
        paintBackground(bar, BarRed);
        bar->setTop(4680);
        c.speedBars[column] = bar;
    }

    const auto conditionBox = [window, &conditionFont](const QRect &geometry) {
        auto *box = new QLineEdit(window);
        box->setGeometry(geometry);
        box->setFont(conditionFont);
        QPalette palette = box->palette();
        palette.setColor(QPalette::Base, WindowBackground);
        box->setPalette(palette);
        // The box fills its corners, outside its rounded frame, in the
        // window's colour: a new text then repaints the box alone, not the
        // window behind it as well.
        box->setAutoFillBackground(true);
        return box;
    };
    c.descriptionBox = conditionBox(twipRect(240, 3480, 3615, 375));
    c.seaBox = conditionBox(twipRect(240, 4440, 12735, 375));
    c.landBox = conditionBox(twipRect(240, 3960, 10935, 375));

    // Only the buttons, the compass, the clock and the text boxes take the focus.
    for (QWidget *gauge : std::initializer_list<QWidget *>{c.compassGauge, c.clockGauge})
        gauge->setFocusPolicy(Qt::TabFocus);
    QWidget *tabOrder[] = {c.compassGauge,      c.listenButton, c.hiddenButton,
                           c.exampleModeButton, c.portButton,   c.clockGauge,
                           c.descriptionBox,    c.seaBox,       c.landBox};
    for (std::size_t i = 1; i < std::size(tabOrder); ++i)
        QWidget::setTabOrder(tabOrder[i - 1], tabOrder[i]);

    describeReadouts(c);
    return c;
}

void nameWindWindowControls(const WindWindowControls &c, const WindFeed &feed)
{
    // The scale rows carry their names in the row table above.
    const std::pair<QObject *, const char *> names[] = {
        {c.listenButton, "Command1"},
        {c.hiddenButton, "Command2"},
        {c.exampleModeButton, "Command3"},
        {c.portButton, "Command4"},
        {c.compassGauge, "ShockwaveFlash1"},
        {c.clockGauge, "ShockwaveFlash2"},
        {c.directionBox, "Frame1_2"},
        {c.directionHeading, "Label2_3"},
        {c.degreesReadout, "Label1_0"},
        {c.degreeSign, "Label1_9"},
        {c.compassPointReadout, "Label1_1"},
        {c.mphBox, "Frame2"},
        {c.mphReadout, "Label1_8"},
        {c.mphUnit, "Label1_11"},
        {c.kmhBox, "Frame3"},
        {c.kmhReadout, "Label1_10"},
        {c.kmhUnit, "Label1_5"},
        {c.knotsBox, "Frame4"},
        {c.knotsReadout, "Label1_13"},
        {c.knotsUnit, "Label1_12"},
        {c.beaufortBox, "Frame1_3"},
        {c.beaufortReadout, "Label1_15"},
        {c.beaufortUnit, "Label1_14"},
        {c.descriptionBox, "Text1_0"},
        {c.seaBox, "Text1_1"},
        {c.landBox, "Text1_2"},
        {c.scaleFrame, "Frame5"},
        {c.speedBars[KmhColumn], "Label5_1"},
        {c.speedBars[MphColumn], "Label5_2"},
        {c.speedBars[KnotsColumn], "Label5_3"},
        {c.speedBars[BeaufortColumn], "Label5_4"},
        {c.banner, "Image1"},
        {c.warningSign, "Image2"},
    };
    for (const auto &[control, name] : names)
        control->setObjectName(QLatin1String(name));
    // The feed's timers keep the names of the window's timers they replace.
    feed.exampleTimer()->setObjectName(QStringLiteral("Timer1"));
    feed.staleTimer()->setObjectName(QStringLiteral("SerialPortTimer"));
}
