// SPDX-License-Identifier: MIT
#include "core/nmeawindreader.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

// The events as text, one word each: "45@6.430556" (direction@speed in m/s,
// to 7 significant digits: enough to tell an exact knot from the display's
// rounded factor) or "rejected".
QString describe(const std::vector<WindLineEvent> &events)
{
    QStringList words;
    for (const WindLineEvent &event : events) {
        const WindReading &reading = event.reading;
        if (event.kind == WindLineEvent::Kind::Rejected)
            words << QStringLiteral("rejected");
        else if (!reading.directionDegrees || !reading.speedMetresPerSecond)
            words << QStringLiteral("incomplete");
        else
            words << QString::number(*reading.directionDegrees, 'g', 7) + u'@'
                    + QString::number(*reading.speedMetresPerSecond, 'g', 7);
    }
    return words.join(u' ');
}

QString feedInPieces(NmeaWind wind, const QByteArray &stream, const QList<qsizetype> &cuts)
{
    NmeaWindReader reader(wind);
    std::vector<WindLineEvent> events;
    qsizetype from = 0;
    for (const qsizetype cut : cuts + QList<qsizetype>{stream.size()}) {
        const std::vector<WindLineEvent> more = reader.feed(stream.sliced(from, cut - from));
        events.insert(events.end(), more.begin(), more.end());
        from = cut;
    }
    return describe(events);
}

} // namespace

class tst_NmeaWindReader : public QObject
{
    Q_OBJECT

private slots:
    void events_data();
    void events();
    void bufferStaysBounded_data();
    void bufferStaysBounded();
};

// Instruments' sentences and streams of them, and what they give for the
// wind the reader is set to.
void tst_NmeaWindReader::events_data()
{
    QTest::addColumn<NmeaWind>("wind");
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QString>("events");

    const auto apparent = NmeaWind::Apparent;
    const auto trueWind = NmeaWind::True;
    // One sentence ended by CR LF.
    const auto row
        = [](const char *name, NmeaWind wind, const QByteArray &sentence, const QString &events) {
              QTest::newRow(name) << wind << sentence + "\r\n" << events;
          };
    row("MWV relative, knots, decimal angle", apparent, "$IIMWV,045.0,R,12.5,N,A*0A",
        "45@6.430556");
    row("MWV relative, m/s, whole angle", apparent, "$WIMWV,214,R,6.2,M,A*3D", "214@6.2");
    row("MWV relative, km/h", apparent, "$INMWV,359.9,R,36.0,K,A*0C", "359.9@10");
    row("MWV without checksum, lower-case hex", apparent,
        "$WIMWV,214,R,6.2,M,A\r\n"
        "$IIMWV,045.0,R,12.5,N,A*0a",
        "214@6.2 45@6.430556");
    row("MWV started with !", apparent, "!WIMWV,214,R,6.2,M,A", "214@6.2");
    row("MWV true for true wind", trueWind, "$YXMWV,090.5,T,10.0,N,A*07", "90.5@5.144444");
    row("MWV true ignored for apparent", apparent, "$YXMWV,090.5,T,10.0,N,A*07", "");
    row("MWV relative ignored for true", trueWind, "$IIMWV,045.0,R,12.5,N,A*0A", "");
    row("MWV status V", apparent, "$IIMWV,045.0,R,12.5,N,V*1D", "");
    row("MWV empty angle", apparent, "$IIMWV,,R,12.5,N,A*25", "");
    row("MWV unknown unit", apparent, "$IIMWV,045.0,R,12.5,S,A*17", "");
    row("MWV negative angle", apparent, "$IIMWV,-45.0,R,12.5,N,A*17", "");
    row("MWV cut short", apparent, "$IIMWV,045.0,R", "");
    row("MWV wrong checksum", apparent, "$IIMWV,045.0,R,12.5,N,A*0B", "rejected");
    row("MWV damaged in a field", apparent, "$IIMWV,045.0,R,17.5,N,A*0A", "rejected");
    row("VWR port side, m/s before knots and km/h", apparent,
        "$IIVWR,030.0,L,10.0,N,6.0,M,20.0,K*51", "330@6");
    row("VWR starboard, knots only, angle ending in a point", apparent,
        "$IIVWR,148.,R,02.4,N,,M,,K*42", "148@1.234667");
    row("VWR dead ahead on port, km/h only", apparent, "$IIVWR,000,L,,N,,M,18,K*6E", "360@5");
    row("VWR without its m/s and km/h fields", apparent, "$IIVWR,180,L,1.0,N*47", "180@0.5144444");
    row("VWR angle beyond 180", apparent, "$IIVWR,190.0,R,10.0,N,5.1,M,18.5,K*48", "");
    row("VWR ignored for true wind", trueWind, "$IIVWR,030.0,L,10.0,N,6.0,M,20.0,K*51", "");
    row("MWD, m/s before knots", trueWind, "$WIMWD,270.0,T,268.5,M,20.0,N,9.0,M*6D", "270@9");
    row("MWD knots only", trueWind, "$WIMWD,010.5,T,,M,15.0,N,,M*6A", "10.5@7.716667");
    row("MWD direction without speed", trueWind, "$WIMWD,270.0,T,,M,,N,,M*71", "");
    row("MWD magnetic direction only", trueWind, "$WIMWD,,T,268.5,M,20.0,N,9.0,M*46", "");
    row("MWD wrong checksum", trueWind, "$WIMWD,270.0,T,268.5,M,20.0,N,9.0,M*00", "rejected");
    row("MWD ignored for apparent, damaged or not", apparent,
        "$WIMWD,270.0,T,268.5,M,20.0,N,9.0,M*00", "");
    row("XDR with wrong checksum", apparent, "$WIXDR,C,12.3,C,AIRTEMP,P,1.013,B,BARO*00", "");
    row("RMC, HDG, proprietary", apparent,
        "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n"
        "$HCHDG,101.1,,,7.1,W*3C\r\n$PGRME,15.0,M,45.0,M,25.0,M*1C",
        "");
    row("proprietary that looks like MWV", apparent, "$PAMWV,045.0,R,12.5,N,A", "");

    const QByteArray mwv = "$IIMWV,045.0,R,12.5,N,A*0A";
    const QString reading = QStringLiteral("45@6.430556");
    row("LF and CR line ends", apparent, mwv + "\n" + mwv + "\r" + mwv,
        QStringList(3, reading).join(u' '));
    row("XDR and status V between readings", apparent,
        mwv + "\r\n$WIXDR,C,12.3,C,AIRTEMP,P,1.013,B,BARO*39\r\n$IIMWV,045.0,R,12.5,N,V*1D\r\n"
            + mwv,
        reading + u' ' + reading);
    row("noise before the sentence", apparent, "\x01\xff#garbage" + mwv, reading);
    row("sentence torn by the next one", apparent, "$IIMWV,04" + mwv, reading);
    row("line without a start dropped", apparent, mwv.sliced(1), "");
    row("80 characters, the longest sentence", apparent,
        "$IIMWV,000000000000000000000000000000000000000000000000000000045.0,R,12.5,N,A*0A",
        reading);
    row("81 characters dropped", apparent,
        "$IIMWV,0000000000000000000000000000000000000000000000000000000045.0,R,12.5,N,A*3A", "");
    row("sentence after an overlong stretch of the same line", apparent,
        "$" + QByteArray(200, 'x') + mwv, reading);

    // MWD from north and MWV with T off the bow: MWD is preferred while it
    // comes, and the first MWV before any MWD counts.
    const QByteArray mwvTrue = "$YXMWV,090.5,T,10.0,N,A*07\r\n";
    const QByteArray mwd = "$WIMWD,270.0,T,268.5,M,20.0,N,9.0,M*6D\r\n";
    row("MWD wins over MWV with T", trueWind, mwvTrue + mwd + mwvTrue + mwd,
        "90.5@5.144444 270@9 270@9");
    row("MWV with T again once MWD is gone", trueWind,
        mwd + mwvTrue.repeated(NmeaWindReader::MwdGoneAfter + 1), "270@9 90.5@5.144444");
}

// The same events whether the stream comes whole, in two pieces cut at any
// byte, or a byte at a time.
void tst_NmeaWindReader::events()
{
    QFETCH(NmeaWind, wind);
    QFETCH(QByteArray, stream);
    QFETCH(QString, events);

    QCOMPARE(feedInPieces(wind, stream, {}), events);
    QList<qsizetype> everyByte;
    for (qsizetype cut = 1; cut < stream.size(); ++cut) {
        everyByte << cut;
        QCOMPARE(feedInPieces(wind, stream, {cut}), events);
    }
    QCOMPARE(feedInPieces(wind, stream, everyByte), events);
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
    QCOMPARE(describe(reader.feed("$IIMWV,045.0,R,12.5,N,A*0A\r\n")),
             QStringLiteral("45@6.430556"));

    // A sentence waits for its line end, and a new stream forgets it.
    QVERIFY(reader.feed("$IIMWV,045.0,R,12.5,N,A*0A").empty());
    reader.reset();
    QCOMPARE(reader.bufferedSize(), 0);
    QVERIFY(reader.feed("\r\n").empty());
}

QTEST_APPLESS_MAIN(tst_NmeaWindReader)
#include "tst_nmeawindreader.moc"
