// SPDX-License-Identifier: MIT
// NMEA 0183 wind input in the running window, made from the settings file as
// the application makes it: instruments' sentences on a pseudo-terminal, a
// TCP server and UDP datagrams on 127.0.0.1, and two windows chained over
// TCP, the second following the first through a restart.

#include "../sensorframes.h"
#include "windowfixture.h"

#include "app/historyaddon.h"
#include "core/nmeasentence.h"
#include "core/numberformat.h"
#include "core/windfigures.h"
#include "core/windlogrow.h"
#include "feed/windsharing.h"

#include <QDir>
#include <QLabel>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QUdpSocket>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr double MetresPerSecondPerKnot = 1852.0 / 3600.0;

// The master end of a pseudo-terminal; the window opens its slave end.
class PseudoTerminal
{
public:
    PseudoTerminal()
        : m_master(::posix_openpt(O_RDWR | O_NOCTTY))
    {
        if (m_master >= 0 && (::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0)) {
            ::close(m_master);
            m_master = -1;
        }
    }
    ~PseudoTerminal()
    {
        if (m_master >= 0)
            ::close(m_master);
    }
    bool isOpen() const { return m_master >= 0; }
    QByteArray device() const { return ::ptsname(m_master); }
    bool write(const QByteArray &bytes) const
    {
        return ::write(m_master, bytes.constData(), size_t(bytes.size())) == bytes.size();
    }

private:
    int m_master = -1;
};

quint16 freeTcpPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

quint16 freeUdpPort()
{
    QUdpSocket probe;
    probe.bind(QHostAddress::LocalHost, 0);
    return probe.localPort();
}

QByteArray withInput(const QByteArray &sections)
{
    return settingsFile("False", "0", "0") + sections;
}

// The six value readouts as the display rules give them for a reading.
QString shown(double direction, double speed)
{
    const WindFigures figures = windFigures(direction, speed);
    const QLocale locale;
    return QStringList{QStringLiteral("shown"),
                       formatWhole(*figures.shownDegrees, locale),
                       compassPointName(*figures.compassPoint),
                       formatOneDecimal(*figures.kmh, locale),
                       formatOneDecimal(*figures.mph, locale),
                       formatOneDecimal(*figures.knots, locale),
                       formatBeaufort(*figures.beaufort, locale)}
        .join(u' ');
}

const QString Rejected = QStringLiteral("rejected, speed readouts blank");

// What the window did with each thing its input brought: a reading stored
// and shown with the six value readouts, or a rejection.
void recordDisplay(WindowFixture &fixture, QStringList &events)
{
    QObject::connect(fixture.feed.get(), &WindFeed::sampleAccepted, [&fixture, &events] {
        QStringList texts{QStringLiteral("shown")};
        for (QLabel *readout : fixture.controls().valueReadouts())
            texts << readout->text();
        events << texts.join(u' ');
    });
    QObject::connect(fixture.feed.get(), &WindFeed::frameRejected, [&fixture, &events] {
        const WindWindowControls &c = fixture.controls();
        const bool blank = c.kmhReadout->text().isEmpty() && c.mphReadout->text().isEmpty()
            && c.knotsReadout->text().isEmpty() && c.beaufortReadout->text().isEmpty();
        events << (blank ? Rejected : QStringLiteral("rejected, speed readouts kept"));
    });
}

// The figure of the history window whose spoken name starts with name.
QString historyFigure(HistoryAddOn &history, const QString &name)
{
    history.historyWindow().refresh();
    for (const QLabel *label : history.historyWindow().findChildren<QLabel *>()) {
        if (label->accessibleName().startsWith(name + QStringLiteral(": ")))
            return label->text();
    }
    return QStringLiteral("(no figure %1)").arg(name);
}

QStringList loggedSources(const QString &folder)
{
    QStringList sources;
    for (const QString &name : QDir(folder).entryList({QStringLiteral("wind-*.csv")})) {
        QFile file(QDir(folder).filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray &line : file.readAll().split('\n')) {
            if (const std::optional<WindLogRow> row = parseWindLogRow(line))
                sources << row->source;
        }
    }
    return sources;
}

} // namespace

class tst_NmeaInput : public QObject
{
    Q_OBJECT

private slots:
    void instrumentsOnAPseudoTerminal_data();
    void instrumentsOnAPseudoTerminal();
    void eachInputNamedLoggedAndShown_data();
    void eachInputNamedLoggedAndShown();
    void chainedOverTcpAndResumedAfterARestart();
    void udpPortHeldIsToldOnceAndShownStopped();
    void badInputSectionToldOnceAndSensorRead_data();
    void badInputSectionToldOnceAndSensorRead();
};

// Each row's sentences come between a reading before and a reading after,
// so that what they did, and what they left alone, shows in between. The
// sentences' finer rules live in the reader's own test; these rows show
// that each kind reaches the window.
void tst_NmeaInput::instrumentsOnAPseudoTerminal_data()
{
    QTest::addColumn<QByteArray>("wind");
    QTest::addColumn<QByteArray>("sentences");
    QTest::addColumn<QStringList>("events");

    const QByteArray apparent = "Apparent";
    const double knot = MetresPerSecondPerKnot;
    QTest::newRow("WI talker, whole degrees, knots")
        << apparent << nmeaSentence("WIMWV,045,R,12,N,A") << QStringList{shown(45, 12 * knot)};
    QTest::newRow("II talker, decimal degrees, m/s")
        << apparent << nmeaSentence("IIMWV,270.5,R,7.3,M,A") << QStringList{shown(270.5, 7.3)};
    // Boat servers send each apparent wind as MWV and as VWR: one kind per
    // wind, MWV while it comes.
    QTest::newRow("VWR among MWV left out")
        << apparent << nmeaSentence("IIVWR,030.0,L,10.0,N,5.1,M,18.4,K") << QStringList{};
    QTest::newRow("XDR, HDG, RMC and a proprietary sentence between readings")
        << apparent
        << nmeaSentence("WIXDR,C,12.3,C,AIRTEMP") + nmeaSentence("IIMWV,090.0,R,4.0,M,A")
            + nmeaSentence("HCHDG,123.4,,,2.1,E")
            + nmeaSentence("GPRMC,101500,A,4807.038,N,01131.000,E,5.5,084.4,071226,3.1,W")
            + nmeaSentence("PGRME,15.0,M,45.0,M,25.0,M") + nmeaSentence("IIMWV,091.0,R,4.5,M,A")
        << QStringList{shown(90, 4), shown(91, 4.5)};
    QTest::newRow("a wrong checksum")
        << apparent << QByteArray("$IIMWV,045.0,R,12.5,N,A*00\r\n") << QStringList{Rejected};
    QTest::newRow("status V: no reading, no rejection")
        << apparent << nmeaSentence("IIMWV,045.0,R,12.5,N,V") << QStringList{};
    QTest::newRow("true wind while the apparent is read")
        << apparent
        << nmeaSentence("IIMWV,045.0,T,12.5,N,A") + nmeaSentence("WIMWD,270.0,T,,M,12.5,N,6.4,M")
        << QStringList{};
    QTest::newRow("MWD for the true wind")
        << QByteArray("True") << nmeaSentence("WIMWD,270.0,T,265.5,M,12.5,N,6.4,M")
        << QStringList{shown(270, 6.4)};
}

void tst_NmeaInput::instrumentsOnAPseudoTerminal()
{
    QFETCH(QByteArray, wind);
    QFETCH(QByteArray, sentences);
    QFETCH(QStringList, events);

    const PseudoTerminal line;
    QVERIFY(line.isOpen());
    WindowFixture fixture(withInput("[PORTS]\r\nCOM1=" + line.device()
                                    + "\r\n[INPUT]\r\nProtocol=NMEA0183\r\nWind=" + wind + "\r\n"),
                          WindowFixture::InputFromSettings());
    fixture.start();
    QCOMPARE(fixture.inputProblem, QString());
    QStringList recorded;
    recordDisplay(fixture, recorded);

    const bool trueWind = wind == "True";
    const QByteArray before = trueWind ? nmeaSentence("IIMWD,100.0,T,,M,9.7,N,5.0,M")
                                       : nmeaSentence("IIMWV,100.0,R,5.0,M,A");
    const QByteArray after = trueWind ? nmeaSentence("IIMWD,222.0,T,,M,4.3,N,2.2,M")
                                      : nmeaSentence("IIMWV,222.0,R,2.2,M,A");
    fixture.controls().listenButton->click();
    QCOMPARE(fixture.feed->link()->description(), QStringLiteral("COM1 NMEA 0183 4800"));
    QVERIFY(line.write(before + sentences + after));
    events.prepend(shown(100, 5));
    events.append(shown(222, 2.2));
    QTRY_COMPARE_WITH_TIMEOUT(recorded.size(), events.size(), 5000);
    QCOMPARE(recorded, events);
    QVERIFY2(fixture.messages.isEmpty(), qPrintable(fixture.messageTexts().join(u'\n')));
}

// One reading through each kind of input: the readouts, the history's
// name and state of the input, and the data log's source.
void tst_NmeaInput::eachInputNamedLoggedAndShown_data()
{
    QTest::addColumn<QString>("input"); // "serial", "tcp" or "udp"
    QTest::newRow("serial port") << "serial";
    QTest::newRow("TCP server") << "tcp";
    QTest::newRow("UDP datagrams") << "udp";
}

void tst_NmeaInput::eachInputNamedLoggedAndShown()
{
    QFETCH(QString, input);
    const QByteArray sentence = nmeaSentence("WIMWV,045.0,R,6.4,M,A");
    const PseudoTerminal line;
    QTcpServer server;
    const quint16 udpPort = freeUdpPort();
    QByteArray section;
    QString name, state, logged;
    if (input == u"serial") {
        section = "[PORTS]\r\nCOM1=" + line.device() + "\r\n[INPUT]\r\nProtocol=NMEA0183\r\n";
        name
            = QStringLiteral("COM1 NMEA 0183 4800 (%1)").arg(QString::fromLocal8Bit(line.device()));
        state = QStringLiteral("connected");
        logged = QStringLiteral("COM1");
    } else if (input == u"tcp") {
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        QObject::connect(&server, &QTcpServer::newConnection,
                         [&] { server.nextPendingConnection()->write(sentence); });
        section = "[INPUT]\r\nTcp=127.0.0.1:" + QByteArray::number(server.serverPort()) + "\r\n";
        name = QStringLiteral("tcp 127.0.0.1:%1").arg(server.serverPort());
        state = QStringLiteral("connected");
        logged = QStringLiteral("tcp");
    } else {
        section = "[INPUT]\r\nUdp=" + QByteArray::number(udpPort) + "\r\n";
        name = QStringLiteral("udp :%1").arg(udpPort);
        state = QStringLiteral("receiving");
        logged = QStringLiteral("udp");
    }
    WindowFixture fixture(withInput(section + "[LOG]\r\nFolder=.\r\n"),
                          WindowFixture::InputFromSettings());
    HistoryAddOn history(fixture.settings, *fixture.feed, *fixture.window);
    fixture.start();
    history.start();
    QCOMPARE(fixture.inputProblem, QString());
    QStringList recorded;
    recordDisplay(fixture, recorded);

    fixture.controls().listenButton->click();
    if (input == u"serial") {
        QVERIFY(line.write(sentence));
    } else if (input == u"udp") {
        // Several sentences in one datagram, as multiplexers send them.
        QUdpSocket sender;
        sender.writeDatagram(nmeaSentence("WIXDR,C,12.3,C,AIRTEMP") + sentence.trimmed(),
                             QHostAddress::LocalHost, udpPort);
    }
    QTRY_COMPARE_WITH_TIMEOUT(recorded, QStringList{shown(45, 6.4)}, 5000);
    QCOMPARE(historyFigure(history, QStringLiteral("Source")), name);
    QCOMPARE(historyFigure(history, QStringLiteral("Link state")), state);
    QCOMPARE(loggedSources(fixture.folder.path()), QStringList{logged});
    QVERIFY2(fixture.messages.isEmpty(), qPrintable(fixture.messageTexts().join(u'\n')));
}

// The first window reads a pseudo-terminal and shares on TCP; the second
// reads the first. The second is started first, and the first is restarted
// later, away long enough that tries growing 2, 4, 8 s apart would miss it:
// each time the second marks its readouts stale, says it retries, and
// follows by itself within 5 s of the first being back.
void tst_NmeaInput::chainedOverTcpAndResumedAfterARestart()
{
    const PseudoTerminal line;
    QVERIFY(line.isOpen());
    const quint16 port = freeTcpPort();
    const QByteArray first
        = withInput("[PORTS]\r\nCOM1=" + line.device()
                    + "\r\n[INPUT]\r\nProtocol=NMEA0183\r\n[NMEA]\r\nTcpPort="
                    + QByteArray::number(port) + "\r\nBind=127.0.0.1\r\nSpeedUnit=M\r\n");
    const auto startFirst
        = [&first](std::unique_ptr<WindowFixture> &fixture, std::unique_ptr<WindSharing> &sharing) {
              fixture = std::make_unique<WindowFixture>(first, WindowFixture::InputFromSettings());
              fixture->start();
              sharing = std::make_unique<WindSharing>(fixture->settings, *fixture->feed);
              QCOMPARE(sharing->start(), QStringList());
              fixture->controls().listenButton->click();
          };

    WindowFixture second(withInput("[INPUT]\r\nTcp=127.0.0.1:" + QByteArray::number(port) + "\r\n"),
                         WindowFixture::InputFromSettings());
    HistoryAddOn history(second.settings, *second.feed, *second.window);
    second.start();
    QStringList shownBySecond;
    recordDisplay(second, shownBySecond);
    second.controls().listenButton->click();
    QTRY_VERIFY(second.areReadingsStale());
    QVERIFY2(historyFigure(history, QStringLiteral("Link state"))
                 .startsWith(QStringLiteral("retrying in 2 s: ")),
             qPrintable(historyFigure(history, QStringLiteral("Link state"))));

    std::unique_ptr<WindowFixture> firstWindow;
    std::unique_ptr<WindSharing> sharing;
    startFirst(firstWindow, sharing);
    QTRY_COMPARE_WITH_TIMEOUT(historyFigure(history, QStringLiteral("Link state")),
                              QStringLiteral("connected"), 5000);
    QStringList shownByFirst;
    recordDisplay(*firstWindow, shownByFirst);
    // The speeds in m/s to one decimal, as the first shares them; the VWR
    // between two MWV is the same wind told twice.
    const QByteArray readings = nmeaSentence("IIMWV,123.4,R,5.6,M,A")
        + nmeaSentence("WIVWR,030.0,L,,N,10.2,M,,K") + nmeaSentence("IIMWV,359.9,R,0.3,M,A");
    QVERIFY(line.write(readings));
    const QStringList expected{shown(123.4, 5.6), shown(359.9, 0.3)};
    QTRY_COMPARE_WITH_TIMEOUT(shownBySecond, expected, 5000);
    QCOMPARE(shownByFirst, expected);
    QVERIFY(!second.areReadingsStale());

    sharing.reset();
    firstWindow.reset();
    QTRY_VERIFY(second.areReadingsStale());
    QSignalSpy tries(second.feed.get(), &WindFeed::linkStateChanged);
    QTest::qWait(6500);
    QVERIFY2(tries.size() >= 3, "a try every 2 s");
    QVERIFY(second.areReadingsStale());
    startFirst(firstWindow, sharing);
    QTRY_COMPARE_WITH_TIMEOUT(historyFigure(history, QStringLiteral("Link state")),
                              QStringLiteral("connected"), 5000);
    QVERIFY(line.write(nmeaSentence("IIMWV,045.0,R,7.7,M,A")));
    QTRY_COMPARE(shownBySecond.size(), expected.size() + 1);
    QCOMPARE(shownBySecond.last(), shown(45, 7.7));
    QVERIFY(!second.areReadingsStale());
    QVERIFY2(second.messages.isEmpty(), qPrintable(second.messageTexts().join(u'\n')));
}

// An input that cannot start is told once, and the link health says it has
// stopped rather than that it is connected.
void tst_NmeaInput::udpPortHeldIsToldOnceAndShownStopped()
{
    QUdpSocket holder;
    QVERIFY(holder.bind(QHostAddress::Any, 0));
    WindowFixture fixture(
        withInput("[INPUT]\r\nUdp=" + QByteArray::number(holder.localPort()) + "\r\n"),
        WindowFixture::InputFromSettings());
    HistoryAddOn history(fixture.settings, *fixture.feed, *fixture.window);
    fixture.start();
    fixture.controls().listenButton->click();
    QCOMPARE(fixture.messages.size(), 1);
    const QString cause = QStringLiteral("Cannot receive the wind on UDP port %1: another program")
                              .arg(holder.localPort());
    QVERIFY2(fixture.messages.first().text.contains(cause),
             qPrintable(fixture.messages.first().text));
    QVERIFY(historyFigure(history, QStringLiteral("Link state"))
                .startsWith(QStringLiteral("stopped: ") + cause));
}

// A value that cannot be used is told once, naming the key, the value and
// the file, and listening reads the sensor on the serial port.
void tst_NmeaInput::badInputSectionToldOnceAndSensorRead_data()
{
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QString>("named");
    QTest::newRow("a baud rate not offered") << QByteArray("Baud=1200") << "Baud=1200";
    QTest::newRow("a host name") << QByteArray("Tcp=boat.local:10110") << "Tcp=boat.local:10110";
    QTest::newRow("a key mistyped") << QByteArray("Protokol=NMEA0183") << "\"Protokol\"";
}

void tst_NmeaInput::badInputSectionToldOnceAndSensorRead()
{
    QFETCH(QByteArray, section);
    QFETCH(QString, named);
    const PseudoTerminal line;
    QVERIFY(line.isOpen());
    WindowFixture fixture(
        withInput("[PORTS]\r\nCOM1=" + line.device() + "\r\n[INPUT]\r\n" + section + "\r\n"),
        WindowFixture::InputFromSettings());
    fixture.start();
    for (const QString &part :
         {named, QDir::toNativeSeparators(fixture.settings.path()), QStringLiteral("sensor")})
        QVERIFY2(fixture.inputProblem.contains(part), qPrintable(fixture.inputProblem));

    fixture.controls().listenButton->click();
    QCOMPARE(fixture.feed->link()->description(), QStringLiteral("COM1"));
    QVERIFY(line.write(sensorFrame("A,123.4,5.6")));
    QTRY_COMPARE(fixture.state().speedMetresPerSecond, 5.6);
    QVERIFY(fixture.messages.isEmpty());
}

QTEST_MAIN(tst_NmeaInput)
#include "tst_nmeainput.moc"
