#include "frmmain.h"

#include "display/windreadouts.h"
#include "errorguard.h"
#include "module1.h"
#include "platform/gaugewidget.h"
#include "platform/serialcontrol.h"
#include "settingstext.h"
#include "sources/form1.h"

#include <QCloseEvent>
#include <QDir>
#include <QPushButton>
#include <QTimer>

namespace {
const QString SectionParameters = QStringLiteral("PARAMETRES");
const QString SectionValues = QStringLiteral("VALUES");
const QString KeyPort = QStringLiteral("SerialPort1-COM");
const QString KeyExampleMode = QStringLiteral("DummyMode");
const QString KeyAngle = QStringLiteral("Angle");
const QString KeyWind = QStringLiteral("Wind");

// Reads one setting and converts it; a failure names the file, the section,
// the key and the kind of error, so the user knows what to mend.
template<class Convert>
auto readSetting(const Module1 &settings, const QString &section, const QString &key,
                 const QString &typeName, Convert convert)
{
    const QString text = settings.IniReadKey(section, key);
    try {
        return convert(text);
    } catch (const AppError &error) {
        const QString problem = text.isEmpty()
            ? QStringLiteral("is missing or empty")
            : QStringLiteral("\"%1\" is not a valid %2").arg(text, typeName);
        throw AppError(error.kind(),
                       QStringLiteral("%1: the setting \"%2\" in section [%3] of the settings "
                                      "file %4 %5.")
                           .arg(AppError::kindName(error.kind()), key, section,
                                QDir::toNativeSeparators(settings.SettingsPath), problem));
    }
}
} // namespace

frmMain::frmMain(Module1 &settings, std::unique_ptr<SerialControl> serial, QWidget *parent)
    : QWidget(parent)
    , m_settings(settings)
    , m_serial(std::move(serial))
{
    buildLayout();
    describeWindReadouts(*this);
    connectHandlers();
}

frmMain::~frmMain() = default;

void frmMain::connectHandlers()
{
    connect(Command1, &QPushButton::clicked, this,
            [this] { guarded([this] { Command1_Click(); }); });
    connect(Command3, &QPushButton::clicked, this,
            [this] { guarded([this] { Command3_Click(); }); });
    connect(Command4, &QPushButton::clicked, this,
            [this] { guarded([this] { Command4_Click(); }); });
    connect(Timer1, &QTimer::timeout, this, [this] { guarded([this] { Timer1_Timer(); }); });
    // At 9600 baud a character takes about a millisecond: twenty of them
    // without a byte mean the sensor has finished its frame.
    m_lineSilenceTimer = new QTimer(this);
    m_lineSilenceTimer->setSingleShot(true);
    m_lineSilenceTimer->setInterval(20);
    connect(m_lineSilenceTimer, &QTimer::timeout, this, [this] { m_lineWentQuiet = true; });
    // Command2, Timer2 and SerialPortTimer have no handlers by design.
}

void frmMain::EnsureSettingsFile()
{
    m_settings.IniSetFile(QStringLiteral("Application.ini"));
    m_settings.IniEnsureSection(SectionParameters);
    m_settings.IniSeedKey(SectionParameters, KeyPort, QStringLiteral("1"));
    m_settings.IniSeedKey(SectionParameters, KeyExampleMode, QStringLiteral("True"));
    m_settings.IniEnsureSection(SectionValues);
    m_settings.IniSeedKey(SectionValues, KeyAngle, QStringLiteral("1"));
    m_settings.IniSeedKey(SectionValues, KeyWind, QStringLiteral("1"));
}

void frmMain::Form_Initialize()
{
    EnsureSettingsFile();
    const auto toBoolean = [](const QString &text) {
        return settingToBoolean(text);
    };
    const auto toDouble = [](const QString &text) {
        return settingToDouble(text);
    };
    // The serial control refuses numbers that name no port; that refusal is
    // reported like any other bad setting.
    const auto toPort = [this](const QString &text) {
        comSerial1().setCommPort(settingToInt16(text));
        return true;
    };
    ExampleModeOn = readSetting(m_settings, SectionParameters, KeyExampleMode,
                                QStringLiteral("boolean"), toBoolean);
    WindAngle
        = readSetting(m_settings, SectionValues, KeyAngle, QStringLiteral("number"), toDouble);
    WindSpeed = readSetting(m_settings, SectionValues, KeyWind, QStringLiteral("number"), toDouble);
    readSetting(m_settings, SectionParameters, KeyPort, QStringLiteral("port number"), toPort);
}

void frmMain::Form_Load()
{
    AppRunning = true;
    // The movies are named after the working directory, not the executable's
    // folder; the gauges are built in, so the files need not exist.
    ShockwaveFlash1->LoadMovie(
        0, QDir::toNativeSeparators(QDir::currentPath() + QStringLiteral("/compass2.swf")));
    ShockwaveFlash2->LoadMovie(
        0, QDir::toNativeSeparators(QDir::currentPath() + QStringLiteral("/clock/clock106.swf")));
    if (ExampleModeOn) {
        Timer1->start();
        Command3->setText(QStringLiteral("Stop Example Mode"));
    }
    RefreshDisplay();
}

void frmMain::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    // A failed write must never keep the window from closing.
    const auto write = [this](const QString &section, const QString &key, auto valueText) {
        try {
            m_settings.IniWriteKey(section, key, valueText());
        } catch (const AppError &) { }
    };
    write(SectionParameters, KeyPort, [this] { return QString::number(comSerial1().CommPort()); });
    write(SectionParameters, KeyExampleMode,
          [this] { return ExampleModeOn ? QStringLiteral("True") : QStringLiteral("False"); });
    write(SectionValues, KeyAngle, [this] { return generalNumberText(WindAngle); });
    write(SectionValues, KeyWind, [this] { return generalNumberText(WindSpeed); });
    AppRunning = false;
    releasePortDialog();
}

void frmMain::releasePortDialog()
{
    // The dialog may be open right now, its modal loop further down the call
    // stack (a close request from the system while it is shown): end that
    // loop and let the event loop delete it once it has returned.
    if (Form1 *dialog = m_portDialog.release()) {
        dialog->done(QDialog::Rejected);
        dialog->deleteLater();
    }
}

void frmMain::closeEvent(QCloseEvent *event)
{
    guarded([this] { Form_Unload(); });
    event->accept();
}

void frmMain::RefreshDisplay()
{
    ShowDirection();
    ShowSpeed();
    emit displayRefreshed();
}
