// SPDX-License-Identifier: MIT
#include "core/nmeawindreader.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

constexpr double Knot = 1852.0 / 3600.0;
constexpr double Kmh = 1.0 / 3.6;

// The events as text, one word each: "45@6.43" (direction@speed, to the
// given number of significant digits) or "rejected".
QString describe(const std::vector<WindLineEvent> &events, int digits = 6)
{
    QStringList words;
    for (const WindLineEvent &event : events) {
        if (event.kind == WindLineEvent::Kind::Rejected) {
            words << QStringLiteral("rejected");
            continue;
        }
        const auto text = [digits](const std::optional<double> &value) {
            return value ? QString::number(*value, 'g', digits) : QStringLiteral("-");
        };
        words << text(event.reading.directionDegrees) + u'@'
                + text(event.reading.speedMetresPerSecond);
    }
    return words.join(u' ');
}

std::vector<WindLineEvent> feedAll(NmeaWindReader &reader, const QList<QByteArray> &pieces)
{
    std::vector<WindLineEvent> events;
    for (const QByteArray &piece : pieces) {
        const std::vector<WindLineEvent> more = reader.feed(piece);
        events.insert(events.end(), more.begin(), more.end());
        if (reader.bufferedSize() > NmeaWindReader::MaxSentenceLength)
            return {};
    }
    return events;
}

} // namespace

class tst_NmeaWindReader : public QObject
{
    Q_OBJECT

private slots:
    void sentences_data();
    void sentences();
    void lines_data();
    void lines();
    void bufferStaysBounded_data();
    void bufferStaysBounded();
};

// One sentence as instruments send it, and what it gives for the wind the
// reader is set to: no event at all, "rejected", or a reading.
void tst_NmeaWindReader::sentences_data()
{
    QTest::addColumn<NmeaWind>("wind");
    QTest::addColumn<QByteArray>("sentence");
    QTest::addColumn<QString>("event"); // "", "rejected" or "reading"
    QTest::addColumn<double>("direction");
    QTest::addColumn<double>("speed");

    const auto apparent = NmeaWind::Apparent;
    const auto trueWind = NmeaWind::True;
    const auto row = [](const char *name, NmeaWind wind, const char *sentence, const char *event,
                        double direction = 0, double speed = 0) {
        QTest::newRow(name) << wind << QByteArray(sentence) << QString::fromLatin1(event)
                            << direction << speed;
    };

    row("MWV relative, knots, decimal angle", apparent, "$IIMWV,045.0,R,12.5,N,A*0A", "reading", 45,
        12.5 * Knot);
    row("MWV relative, m/s, whole angle", apparent, "$WIMWV,214,R,6.2,M,A*3D", "reading", 214, 6.2);
    row("MWV relative, km/h", apparent, "$INMWV,359.9,R,36.0,K,A*0C", "reading", 359.9, 36 * Kmh);
    row("MWV without checksum", apparent, "$WIMWV,214,R,6.2,M,A", "reading", 214, 6.2);
    row("MWV with lower-case checksum", apparent, "$IIMWV,045.0,R,12.5,N,A*0a", "reading", 45,
        12.5 * Knot);
    row("MWV started with !", apparent, "!WIMWV,214,R,6.2,M,A", "reading", 214, 6.2);
    row("MWV true for true wind", trueWind, "$YXMWV,090.5,T,10.0,N,A*07", "reading", 90.5,
        10 * Knot);
    row("MWV true ignored for apparent", apparent, "$YXMWV,090.5,T,10.0,N,A*07", "");
    row("MWV relative ignored for true", trueWind, "$IIMWV,045.0,R,12.5,N,A*0A", "");
    row("MWV status V", apparent, "$IIMWV,045.0,R,12.5,N,V*1D", "");
    row("MWV empty angle", apparent, "$IIMWV,,R,12.5,N,A*25", "");
    row("MWV unknown unit", apparent, "$IIMWV,045.0,R,12.5,S,A*17", "");
    row("MWV negative angle", apparent, "$IIMWV,-45.0,R,12.5,N,A*17", "");
    row("MWV cut short", apparent, "$IIMWV,045.0,R", "");
    row("MWV wrong checksum", apparent, "$IIMWV,045.0,R,12.5,N,A*0B", "rejected");
    row("MWV checksum of one digit", apparent, "$IIMWV,045.0,R,12.5,N,A*A", "rejected");
    row("MWV damaged in a field", apparent, "$IIMWV,045.0,R,17.5,N,A*0A", "rejected");

    row("VWR port side, m/s before knots and km/h", apparent,
        "$IIVWR,030.0,L,10.0,N,6.0,M,20.0,K*51", "reading", 330, 6);
    row("VWR starboard, knots only, angle ending in a point", apparent,
        "$IIVWR,148.,R,02.4,N,,M,,K*42", "reading", 148, 2.4 * Knot);
    row("VWR dead ahead on port, km/h only", apparent, "$IIVWR,000,L,,N,,M,18,K*6E", "reading", 360,
        18 * Kmh);
    row("VWR without its m/s and km/h fields", apparent, "$IIVWR,180,L,1.0,N*47", "reading", 180,
        Knot);
    row("VWR angle beyond 180", apparent, "$IIVWR,190.0,R,10.0,N,5.1,M,18.5,K*48", "");
    row("VWR ignored for true wind", trueWind, "$IIVWR,030.0,L,10.0,N,6.0,M,20.0,K*51", "");

    row("MWD, m/s before knots", trueWind, "$WIMWD,270.0,T,268.5,M,20.0,N,9.0,M*6D", "reading", 270,
        9);
    row("MWD knots only", trueWind, "$WIMWD,010.5,T,,M,15.0,N,,M*6A", "reading", 10.5, 15 * Knot);
    row("MWD direction without speed", trueWind, "$WIMWD,270.0,T,,M,,N,,M*71", "");
    row("MWD magnetic direction only", trueWind, "$WIMWD,,T,268.5,M,20.0,N,9.0,M*46", "");
    row("MWD wrong checksum", trueWind, "$WIMWD,270.0,T,268.5,M,20.0,N,9.0,M*00", "rejected");
    row("MWD ignored for apparent, damaged or not", apparent,
        "$WIMWD,270.0,T,268.5,M,20.0,N,9.0,M*00", "");

    row("XDR", apparent, "$WIXDR,C,12.3,C,AIRTEMP,P,1.013,B,BARO*39", "");
    row("XDR with wrong checksum", apparent, "$WIXDR,C,12.3,C,AIRTEMP,P,1.013,B,BARO*00", "");
    row("RMC", apparent, "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A",
        "");
    row("HDG", apparent, "$HCHDG,101.1,,,7.1,W*3C", "");
    row("proprietary", apparent, "$PGRME,15.0,M,45.0,M,25.0,M*1C", "");
    row("proprietary that looks like MWV", apparent, "$PAMWV,045.0,R,12.5,N,A", "");
    row("lower-case talker", apparent, "$iiMWV,045.0,R,12.5,N,A", "");
}

void tst_NmeaWindReader::sentences()
{
    QFETCH(NmeaWind, wind);
    QFETCH(QByteArray, sentence);
    QFETCH(QString, event);
    QFETCH(double, direction);
    QFETCH(double, speed);

    NmeaWindReader reader(wind);
    const std::vector<WindLineEvent> events = reader.feed(sentence + "\r\n");
    if (event.isEmpty()) {
        QVERIFY2(events.empty(), qPrintable(describe(events)));
        return;
    }
    QCOMPARE(events.size(), size_t(1));
    const WindLineEvent &got = events.front();
    if (event == u"rejected") {
        QCOMPARE(got.kind, WindLineEvent::Kind::Rejected);
        return;
    }
    QCOMPARE(got.kind, WindLineEvent::Kind::Reading);
    QCOMPARE(got.reading.directionDegrees, std::optional<double>(direction));
    QVERIFY(got.reading.speedMetresPerSecond);
    QCOMPARE(*got.reading.speedMetresPerSecond, speed);
}

// A stream of lines and what it gives, the same when the stream arrives in
// two pieces cut at any byte, or one byte at a time.
void tst_NmeaWindReader::lines_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QString>("events");
    QTest::addColumn<NmeaWind>("wind");

    const QByteArray mwv = "$IIMWV,045.0,R,12.5,N,A*0A";
    const QByteArray xdr = "$WIXDR,C,12.3,C,AIRTEMP,P,1.013,B,BARO*39";
    const QString reading = QStringLiteral("45@6.43056");

    QTest::newRow("CR LF, LF and CR line ends")
        << mwv + "\r\n" + mwv + "\n" + mwv + "\r" << QStringList(3, reading).join(u' ')
        << NmeaWind::Apparent;
    QTest::newRow("XDR and status V between readings")
        << mwv + "\r\n" + xdr + "\r\n$IIMWV,045.0,R,12.5,N,V*1D\r\n" + mwv + "\r\n"
        << reading + u' ' + reading << NmeaWind::Apparent;
    QTest::newRow("rejected between readings")
        << mwv + "\r\n$IIMWV,045.0,R,12.5,N,A*0B\r\n" + mwv + "\r\n"
        << reading + " rejected " + reading << NmeaWind::Apparent;
    QTest::newRow("noise before the sentence") << "\x01\xff#garbage" + mwv + "\r\n"
                                               << reading << NmeaWind::Apparent;
    QTest::newRow("sentence torn by the next one") << "$IIMWV,04" + mwv + "\r\n"
                                                   << reading << NmeaWind::Apparent;
    QTest::newRow("line without a start dropped")
        << QByteArray("IIMWV,045.0,R,12.5,N,A*0A\r\n") << QString() << NmeaWind::Apparent;
    QTest::newRow("80 characters, the longest sentence")
        << QByteArray("$IIMWV,000000000000000000000000000000000000000000000000000000045.0,R,12.5,"
                      "N,A*0A\r\n")
        << reading << NmeaWind::Apparent;
    QTest::newRow("81 characters dropped")
        << QByteArray("$IIMWV,0000000000000000000000000000000000000000000000000000000045.0,R,"
                      "12.5,N,A*3A\r\n")
        << QString() << NmeaWind::Apparent;
    QTest::newRow("sentence after an overlong stretch of the same line") << "$"
            + QByteArray(200, 'x') + mwv + "\r\n" << reading << NmeaWind::Apparent;
    QTest::newRow("a sentence waits for its line end")
        << mwv + "\r\n" + mwv << reading << NmeaWind::Apparent;

    // MWD from north and MWV with T off the bow: MWD is preferred while it
    // comes, and the first MWV before any MWD counts.
    const QByteArray mwvTrue = "$YXMWV,090.5,T,10.0,N,A*07\r\n";
    const QByteArray mwd = "$WIMWD,270.0,T,268.5,M,20.0,N,9.0,M*6D\r\n";
    QTest::newRow("MWD wins over MWV with T")
        << mwvTrue + mwd + mwvTrue + mwd << QStringLiteral("90.5@5.14444 270@9 270@9")
        << NmeaWind::True;
    QTest::newRow("MWV with T again once MWD is gone")
        << mwd + mwvTrue.repeated(NmeaWindReader::MwdGoneAfter + 1)
        << QStringLiteral("270@9 90.5@5.14444") << NmeaWind::True;
}

void tst_NmeaWindReader::lines()
{
    QFETCH(QByteArray, stream);
    QFETCH(QString, events);
    QFETCH(NmeaWind, wind);

    NmeaWindReader whole(wind);
    const std::vector<WindLineEvent> expected = whole.feed(stream);
    QCOMPARE(describe(expected), events);

    for (qsizetype cut = 0; cut <= stream.size(); ++cut) {
        NmeaWindReader reader(wind);
        const QList<QByteArray> pieces{stream.first(cut), stream.sliced(cut)};
        QCOMPARE(describe(feedAll(reader, pieces), 17), describe(expected, 17));
    }
    QList<QByteArray> bytes;
    for (const char c : stream)
        bytes << QByteArray(1, c);
    NmeaWindReader reader(wind);
    QCOMPARE(describe(feedAll(reader, bytes), 17), describe(expected, 17));
}

// Whatever a line brings, the reader holds at most one sentence, and reads
// the next good sentence once the junk ends with a line end.
void tst_NmeaWindReader::bufferStaysBounded_data()
{
    QTest::addColumn<QByteArray>("junk");

    QByteArray noise(1 << 20, Qt::Uninitialized);
    QRandomGenerator random(18);
    for (char &c : noise)
        c = char(random.bounded(256));
    QTest::newRow("binary noise") << noise;
    QTest::newRow("a line that never ends") << "$IIMWV," + QByteArray(1 << 20, '0');
    QTest::newRow("starts without end") << QByteArray(1 << 20, '$');
    // A wrong baud rate turns sentences into high bytes without line ends.
    QTest::newRow("wrong baud rate") << QByteArray(1 << 20, '\xf8');
}

void tst_NmeaWindReader::bufferStaysBounded()
{
    QFETCH(QByteArray, junk);

    NmeaWindReader reader(NmeaWind::Apparent);
    for (qsizetype at = 0; at < junk.size(); at += 1000) {
        reader.feed(QByteArrayView(junk).sliced(at, std::min<qsizetype>(1000, junk.size() - at)));
        QVERIFY(reader.bufferedSize() <= NmeaWindReader::MaxSentenceLength);
    }
    reader.feed("\r\n");
    QCOMPARE(describe(reader.feed("$IIMWV,045.0,R,12.5,N,A*0A\r\n")), QStringLiteral("45@6.43056"));

    reader.feed("$IIMWV,045.0");
    reader.reset();
    QCOMPARE(reader.bufferedSize(), 0);
    QVERIFY(reader.feed(",R,12.5,N,A*0A\r\n").empty());
}

QTEST_APPLESS_MAIN(tst_NmeaWindReader)
#include "tst_nmeawindreader.moc"
