// SPDX-License-Identifier: MIT
// The wind shared from the feed: a pseudo-terminal feeds it, and real TCP
// and UDP readers get what it accepted, in order.

#include "../sensorframes.h"
#include "feedfixture.h"

#include "core/nmeasentence.h"
#include "feed/windsharing.h"
#include "platform/nmeaserver.h"

#include <QNetworkDatagram>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <QUdpSocket>

#include <fcntl.h>
#include <unistd.h>

namespace {

// A TCP port that nothing listens on right now.
quint16 freeTcpPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

QByteArray withSharing(const QByteArray &section)
{
    return settingsFile("False", "0", "0") + "[NMEA]\r\n" + section;
}

} // namespace

class tst_WindSharing : public QObject
{
    Q_OBJECT

private slots:
    void acceptedFramesReachTcpAndUdpReaders();
    void sectionThatCannotBeUsedIsToldOnce_data();
    void sectionThatCannotBeUsedIsToldOnce();
    void exampleModeIsSharedOnlyWhenAsked_data();
    void exampleModeIsSharedOnlyWhenAsked();
};

void tst_WindSharing::acceptedFramesReachTcpAndUdpReaders()
{
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    QVERIFY(master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0);
    QUdpSocket udpReader;
    QVERIFY(udpReader.bind(QHostAddress::LocalHost, 0));
    const quint16 tcpPort = freeTcpPort();
    FeedFixture fixture(withSharing(QStringLiteral("TcpPort=%1\r\nBind=127.0.0.1\r\n"
                                                   "UdpTarget=127.0.0.1:%2\r\n"
                                                   "Sentences=MWV,MWD\r\n")
                                        .arg(tcpPort)
                                        .arg(udpReader.localPort())
                                        .toLatin1()),
                        QString::fromLocal8Bit(::ptsname(master)));
    fixture.start();
    WindSharing sharing(fixture.settings, *fixture.feed);
    QCOMPARE(sharing.start(), QStringList());
    QTcpSocket tcpReader;
    tcpReader.connectToHost(QHostAddress::LocalHost, tcpPort);
    QVERIFY(tcpReader.waitForConnected(5000));
    QTRY_COMPARE(sharing.server()->clientCount(), 1);

    QList<std::function<void()>> steps;
    for (const QByteArray &frame :
         {sensorFrame("A,123.4,5.6"), sensorFrame("A,200,30", "00"), sensorFrame("A,10,1")})
        steps << [master, frame] {
            QVERIFY(::write(master, frame.constData(), frame.size()) == frame.size());
        };
    steps << [] {
    } << [] {
    } << [&] {
        fixture.feed->toggleListening();
    };
    fixture.listenWhile(steps, 50);
    ::close(master);

    const QList<QByteArray> expected = {
        nmeaMwvSentence(123.4, 5.6, SpeedUnit::Knots),
        nmeaMwdSentence(123.4, 5.6),
        nmeaMwvSentence(10, 1, SpeedUnit::Knots),
        nmeaMwdSentence(10, 1),
    };
    QByteArray received;
    QTRY_VERIFY((received += tcpReader.readAll()).size() >= expected.join().size());
    QCOMPARE(received, expected.join());
    QList<QByteArray> datagrams;
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            while (udpReader.hasPendingDatagrams())
                datagrams << udpReader.receiveDatagram().data();
            return datagrams.size() >= expected.size();
        }(),
        5000);
    QCOMPARE(datagrams, expected);
}

void tst_WindSharing::sectionThatCannotBeUsedIsToldOnce_data()
{
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QString>("named");

    QTest::newRow("port out of range") << QByteArray("TcpPort=70000\r\n") << "TcpPort";
    QTest::newRow("unknown sentence")
        << QByteArray("TcpPort=10110\r\nSentences=MWV,XDR\r\n") << "Sentences";
    QTest::newRow("address that does not parse")
        << QByteArray("UdpTarget=boat.local:10110\r\n") << "UdpTarget";
    QTest::newRow("mistyped key") << QByteArray("TcpPrt=10110\r\n")
                                  << "\"TcpPrt\" (set to \"10110\")";
    QTest::newRow("port left empty") << QByteArray("TcpPort=\r\n") << "\"TcpPort\"";
    QTest::newRow("no section") << QByteArray() << QString();
}

// The feed runs either way; a section that cannot be used opens nothing
// and names its key and the file.
void tst_WindSharing::sectionThatCannotBeUsedIsToldOnce()
{
    QFETCH(QByteArray, section);
    QFETCH(QString, named);
    FeedFixture fixture(section.isEmpty() ? settingsFile("False", "0", "0") : withSharing(section));
    fixture.start();
    WindSharing sharing(fixture.settings, *fixture.feed);
    const QStringList problems = sharing.start();
    QVERIFY(!sharing.server());
    if (named.isEmpty()) {
        QCOMPARE(problems, QStringList());
    } else {
        QCOMPARE(problems.size(), 1);
        QVERIFY2(problems[0].contains(named), qPrintable(problems[0]));
        QVERIFY2(problems[0].contains(fixture.settings.path()), qPrintable(problems[0]));
    }
    QVERIFY(fixture.feed->isRunning());
}

void tst_WindSharing::exampleModeIsSharedOnlyWhenAsked_data()
{
    QTest::addColumn<QByteArray>("sendExampleMode");
    QTest::addColumn<int>("sentences");
    QTest::newRow("not asked") << QByteArray() << 0;
    QTest::newRow("False") << QByteArray("SendExampleMode=False\r\n") << 0;
    QTest::newRow("True") << QByteArray("SendExampleMode=True\r\n") << 2;
}

void tst_WindSharing::exampleModeIsSharedOnlyWhenAsked()
{
    QFETCH(QByteArray, sendExampleMode);
    QFETCH(int, sentences);
    QUdpSocket udpReader;
    QVERIFY(udpReader.bind(QHostAddress::LocalHost, 0));
    FeedFixture fixture(withSharing(
        QStringLiteral("UdpTarget=127.0.0.1:%1\r\n").arg(udpReader.localPort()).toLatin1()
        + sendExampleMode));
    fixture.start();
    WindSharing sharing(fixture.settings, *fixture.feed);
    QCOMPARE(sharing.start(), QStringList());
    fixture.feed->toggleExampleMode();
    fixture.exampleTick();
    fixture.exampleTick();
    QTest::qWait(200);
    int received = 0;
    while (udpReader.hasPendingDatagrams()) {
        QVERIFY(udpReader.receiveDatagram().data().startsWith("$WIMWV,"));
        ++received;
    }
    QCOMPARE(received, sentences);
}

QTEST_MAIN(tst_WindSharing)
#include "tst_windsharing.moc"
