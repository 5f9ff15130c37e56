// The main window's fixed layout, in twips as the window was designed.

#include "barlabel.h"
#include "designfont.h"
#include "framebox.h"
#include "frmmain.h"
#include "platform/gaugewidget.h"
#include "twips.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace {

const QColor WindowBackground(0xC0C0FF);
const QColor BarRed(0xFF0000);
const QColor AngleHeading(0xC00000);

QFont readoutFont() // Arial 27.75 pt bold
{
    return designFont(QStringLiteral("Arial"), 37, true);
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

QTimer *makeTimer(QObject *parent, int intervalMs)
{
    auto *timer = new QTimer(parent);
    timer->setInterval(intervalMs);
    return timer;
}

// The bar scale: colour bands, dash rows and text rows.
enum class RowKind { Band, Dash, Text };
constexpr int HighlightText = -1;
constexpr int NoText = -2;

struct ScaleRow
{
    int index;
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
    {1, 0, 255, 0x000000, HighlightText, RowKind::Text,
     "  km/h           mph           knots         Bfr                "},
    {3, 240, 255, 0x000000, HighlightText, RowKind::Text,
     "- - 213 - - - - - - - - -  134 - - - - - - - - - 116 - - - - - - - - -12 - - - - - - - -"},
    {2, 480, 135, 0x000000, HighlightText, RowKind::Dash, Dashes},
    {0, 600, 135, 0x000040, HighlightText, RowKind::Dash, " "},
    {4, 720, 255, 0x000040, HighlightText, RowKind::Text,
     " - 189.3 - - - - - - - -  117.6 - - - - - - - -102.2 - - - - - - - 12  - - - - - - - -"},
    {13, 960, 135, 0x000040, HighlightText, RowKind::Dash, Dashes},
    {21, 1080, 135, 0x000040, NoText, RowKind::Band, ""},
    {6, 1200, 255, 0x000080, HighlightText, RowKind::Text,
     " - 165.7 - - - - - - - -   103  - - - - - - - -  89.5   - - - - - - -12 - - - - - - - -"},
    {14, 1440, 135, 0x000080, HighlightText, RowKind::Dash, Dashes},
    {22, 1560, 135, 0x000080, NoText, RowKind::Band, ""},
    {5, 1680, 255, 0x0000C0, HighlightText, RowKind::Text,
     " - -142 - - - - - - - - -   88.2 - - - - - - - - -76.7 - - - - - - -  12 - - - - - - - - -"},
    {15, 1920, 135, 0x0000C0, HighlightText, RowKind::Dash, Dashes},
    {23, 2040, 135, 0x0000C0, NoText, RowKind::Band, ""},
    {7, 2160, 255, 0x0000FF, HighlightText, RowKind::Text,
     " - -118..3 - - - - - - - - 73.5 - - - - - - - - -63.9 - - - - - - - -12 - - - - - - - -"},
    {16, 2400, 135, 0x0000FF, HighlightText, RowKind::Dash, Dashes},
    {25, 2520, 135, 0x0000FF, NoText, RowKind::Band, ""},
    {8, 2640, 255, 0x8080FF, 0x000000, RowKind::Text,
     " - -94.7 - - - - - - - - - -58.8 - - - - - - - - -51.1 - - - - - - - 10.6 - - - - - - -"},
    {17, 2880, 135, 0x8080FF, 0x000000, RowKind::Dash, Dashes},
    {26, 3000, 135, 0x8080FF, NoText, RowKind::Band, ""},
    {9, 3120, 255, 0xC0C0FF, 0x000000, RowKind::Text,
     " - - 71  - - - - - - - - -   44.1   - - - - - - -  38.3   - - - - - -  8.7  - - - - - - - -"},
    {18, 3360, 135, 0xC0C0FF, 0x000000, RowKind::Dash, Dashes},
    {27, 3480, 135, 0xC0C0FF, NoText, RowKind::Band, ""},
    {10, 3600, 255, 0xC0FFFF, 0x000000, RowKind::Text,
     " - - 47.3  - - - - - - - -  29.4  - - - - - - -   25.5   - - - - - -  6.8  - - - - - - - -"},
    {19, 3840, 135, 0xC0FFFF, 0x000000, RowKind::Dash, Dashes},
    {28, 3960, 135, 0xC0FFFF, NoText, RowKind::Band, ""},
    {11, 4080, 255, 0xFFFFC0, 0x000000, RowKind::Text,
     " - - 23.7  - - - - - - - -  14.7  - - - - - - -   12.8   - - - - - -  4.5  - - - - - - - -"},
    {20, 4320, 135, 0xFFFFC0, 0x000000, RowKind::Dash, Dashes},
    {30, 4440, 135, 0xFFFFFF, NoText, RowKind::Band, ""},
    {12, 4560, 255, 0xFFFFFF, 0x000000, RowKind::Text,
     " - -   0  - - - - - - - - - -   0  - - - - - - - - - -   0  - - - - - - - -   0  - - - - - - "
     "- -"},
    {29, 4800, 15, 0xFFFFFF, NoText, RowKind::Band, ""},
};

// Lies above the frame and is never seen; it exists because the design has it.
const ScaleRow HiddenRow = {24, -480, 135, 0x000040, NoText, RowKind::Band, ""};

} // namespace

void frmMain::buildLayout()
{
    setWindowTitle(QStringLiteral("WIND CONDITION SYSTEM"));
    setWindowIcon(QApplication::windowIcon());
    setFixedSize(twipsToPixels(13095), twipsToPixels(10695));
    setFont(designDefaultFont());
    paintBackground(this, WindowBackground);

    const QFont conditionFont = designFont(QStringLiteral("Arial"), 13, true);
    const QColor highlightText = QApplication::palette().color(QPalette::HighlightedText);

    // Created from the back to the front, so each control covers the ones
    // made before it where they overlap.
    Image1 = new QLabel(this);
    Image1->setPixmap(QPixmap(QStringLiteral(":/banner.png")));
    Image1->setGeometry(twipRect(1800, 240, 9390, 1470));

    Image2 = new QLabel(this);
    Image2->setPixmap(QPixmap(QStringLiteral(":/warning.png")));
    Image2->setScaledContents(true);
    Image2->setGeometry(twipRect(3960, 9000, 975, 735));
    Image2->hide();

    ShockwaveFlash1 = new GaugeWidget(this);
    ShockwaveFlash1->setGeometry(twipRect(360, 5040, 3735, 3135));
    ShockwaveFlash1->setAccessibleName(QStringLiteral("Compass"));

    Timer1 = makeTimer(this, 250);

    // The direction box.
    auto *directionBox = new FrameBox(QString(), this);
    directionBox->setGeometry(twipRect(600, 8400, 3135, 1455));
    paintBackground(directionBox, WindowBackground);
    Frame1.add(2, directionBox);
    Label2.add(3,
               makeLabel(directionBox, twipRect(1200, 240, 1215, 495), QStringLiteral("Angle"),
                         designFont(QStringLiteral("Arial"), 29, true), WindowBackground));
    {
        QPalette palette = Label2[3]->palette();
        palette.setColor(QPalette::WindowText, AngleHeading);
        Label2[3]->setPalette(palette);
    }
    Label1.add(0,
               makeLabel(directionBox, twipRect(480, 720, 975, 615), QStringLiteral("89"),
                         readoutFont(), WindowBackground));
    Label1.add(9,
               makeLabel(directionBox, twipRect(1560, 720, 255, 375), QStringLiteral("0"),
                         designFont(QStringLiteral("Arial"), 15, true), WindowBackground));
    Label1.add(1,
               makeLabel(directionBox, twipRect(1920, 720, 1095, 615), QStringLiteral("NE"),
                         readoutFont(), WindowBackground));

    // The value boxes: a readout and its unit caption side by side.
    const auto valueBox = [this](int top) {
        auto *box = new FrameBox(QString(), this);
        box->setGeometry(twipRect(5040, top, 3255, 855));
        paintBackground(box, WindowBackground);
        return box;
    };
    const auto boxLabel = [](FrameBox *box, int left, int width, const QString &text) {
        return makeLabel(box, twipRect(left, 120, width, 615), text, readoutFont(),
                         WindowBackground);
    };
    auto *beaufortBox = valueBox(7560);
    Frame1.add(3, beaufortBox);
    Label1.add(15, boxLabel(beaufortBox, 240, 1215, QStringLiteral("50")));
    Label1.add(14, boxLabel(beaufortBox, 1920, 975, QStringLiteral("Bfr")));

    Command1 = makeWhiteButton(this, twipRect(1200, 10200, 3735, 615),
                               QStringLiteral("Start Listening Serial Port..."));
    SerialPortTimer = makeTimer(this, 10500);
    Command2
        = makeWhiteButton(this, twipRect(11280, 1680, 1575, 615), QStringLiteral("Test Bytes"));
    Command2->hide();
    Command3 = makeWhiteButton(this, twipRect(8040, 10200, 3855, 555),
                               QStringLiteral("Start Example Mode"));
    Command4 = makeWhiteButton(this, twipRect(4920, 10440, 3135, 315),
                               QStringLiteral("Select Serial Port"));

    Frame2 = valueBox(4920);
    Label1.add(8, boxLabel(Frame2, 120, 1455, QStringLiteral("50")));
    Label1.add(11, boxLabel(Frame2, 1800, 1215, QStringLiteral("mph")));
    Frame3 = valueBox(6240);
    Label1.add(10, boxLabel(Frame3, 120, 1455, QStringLiteral("50")));
    Label1.add(5, boxLabel(Frame3, 1680, 1455, QStringLiteral("km/h")));
    Frame4 = valueBox(8880);
    Label1.add(13, boxLabel(Frame4, 120, 1335, QStringLiteral("50")));
    Label1.add(12, boxLabel(Frame4, 1560, 1575, QStringLiteral("knots")));

    ShockwaveFlash2 = new GaugeWidget(this);
    ShockwaveFlash2->setGeometry(twipRect(3960, 1920, 5055, 1455));
    ShockwaveFlash2->setAccessibleName(QStringLiteral("Clock"));

    // The bar scale: bands at the back, then dash rows, then text rows, and
    // the bars in front of them all.
    Frame5 = new FrameBox(QStringLiteral("Zorvane Systems"), this);
    Frame5->setGeometry(twipRect(8400, 5040, 4335, 4935));
    paintBackground(Frame5, QApplication::palette().color(QPalette::Window));
    const auto addScaleRow = [this, highlightText](const ScaleRow &row) {
        const QColor textColour
            = row.textColour == HighlightText ? highlightText : QColor(QRgb(row.textColour));
        const QFont font = row.index == 1
            ? designFont(QStringLiteral("MS Sans Serif"), 13, true, true)
            : designFont(QStringLiteral("MS Sans Serif"), 11);
        QLabel *label
            = makeLabel(Frame5, twipRect(row.index == 24 ? 360 : 0, row.top, 4455, row.height),
                        QString::fromLatin1(row.text), font, QColor(QRgb(row.background)));
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, textColour);
        label->setPalette(palette);
        Label4.add(row.index, label);
    };
    addScaleRow(HiddenRow);
    for (RowKind kind : {RowKind::Band, RowKind::Dash, RowKind::Text}) {
        for (const ScaleRow &row : ScaleRows) {
            if (row.kind == kind)
                addScaleRow(row);
        }
    }
    const int barLefts[] = {720, 1800, 2880, 3840};
    for (int i = 0; i < 4; ++i) {
        auto *bar = new BarLabel(Frame5);
        bar->setGeometry(twipRect(barLefts[i], 4680, 255, 4815));
        paintBackground(bar, BarRed);
        bar->setTop(4680);
        Label5.add(i + 1, bar);
    }

    Timer2 = makeTimer(this, 500);

    const auto conditionBox = [this, &conditionFont](int index, const QRect &geometry) {
        auto *box = new QLineEdit(this);
        box->setGeometry(geometry);
        box->setFont(conditionFont);
        QPalette palette = box->palette();
        palette.setColor(QPalette::Base, WindowBackground);
        box->setPalette(palette);
        Text1.add(index, box);
    };
    conditionBox(0, twipRect(240, 3480, 3615, 375));
    conditionBox(1, twipRect(240, 4440, 12735, 375));
    conditionBox(2, twipRect(240, 3960, 10935, 375));

    // Only the buttons, the compass, the clock and the text boxes take the focus.
    for (QWidget *widget :
         {static_cast<QWidget *>(ShockwaveFlash1), static_cast<QWidget *>(ShockwaveFlash2)})
        widget->setFocusPolicy(Qt::TabFocus);
    QWidget *tabOrder[] = {ShockwaveFlash1, Command1, Command2, Command3, Command4,
                           ShockwaveFlash2, Text1[0], Text1[1], Text1[2]};
    for (std::size_t i = 1; i < std::size(tabOrder); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
}
