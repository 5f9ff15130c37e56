// SPDX-License-Identifier: MIT
#include "core/nmeawindreader.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

QString sentenceName(NmeaSentenceId sentence)
{
    const char *const names[] = {"none", "MWV", "VWR", "MWD", "VHW", "VTG", "RMC", "HDT", "HDG"};
    return QString::fromLatin1(names[int(sentence)]);
}

// The events as text, one phrase each, to 7 significant digits (enough to
// tell an exact knot from the display's rounded factor): "MWV 45@6.430556"
// (apparent wind: direction@speed in m/s), "MWV T 90.5@5.144444" (true off
// the bow), "MWD 270@9" (true from north), "VHW water 2.880889", "VTG ground
// 2.829444", "HDT heading 274.1", "rejected MWV".
QString describe(const std::vector<WindLineEvent> &events)
{
    const auto number = [](double value) {
        return QString::number(value, 'g', 7);
    };
    QStringList phrases;
    for (const WindLineEvent &event : events) {
        const WindReading &reading = event.reading;
        switch (event.kind) {
        case WindLineEvent::Kind::Rejected:
            phrases << QStringLiteral("rejected ") + sentenceName(reading.sentence);
            break;
        case WindLineEvent::Kind::Reading:
            if (!reading.isComplete())
                phrases << QStringLiteral("incomplete");
            else
                phrases << sentenceName(reading.sentence)
                        + (reading.kind == WindKind::TrueOffBow ? QStringLiteral(" T ")
                                                                : QStringLiteral(" "))
                        + number(*reading.directionDegrees) + u'@'
                        + number(*reading.speedMetresPerSecond);
            break;
        case WindLineEvent::Kind::Motion: {
            const BoatMotion &motion = event.motion;
            const QString what = motion.kind == BoatMotion::Kind::SpeedThroughWater
                ? QStringLiteral("water")
                : motion.kind == BoatMotion::Kind::SpeedOverGround ? QStringLiteral("ground")
                                                                   : QStringLiteral("heading");
            phrases << sentenceName(motion.sentence) + u' ' + what + u' ' + number(motion.value);
            break;
        }
        }
    }
    return phrases.join(u", ");
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
        "MWV 45@6.430556");
    row("MWV relative, m/s, whole angle", apparent, "$WIMWV,214,R,6.2,M,A*3D", "MWV 214@6.2");
    row("MWV relative, km/h", apparent, "$INMWV,359.9,R,36.0,K,A*0C", "MWV 359.9@10");
    row("MWV without checksum, lower-case hex", apparent,
        "$WIMWV,214,R,6.2,M,A\r\n"
        "$IIMWV,045.0,R,12.5,N,A*0a",
        "MWV 214@6.2, MWV 45@6.430556");
    row("MWV started with !", apparent, "!WIMWV,214,R,6.2,M,A", "MWV 214@6.2");
    row("MWV true for true wind", trueWind, "$YXMWV,090.5,T,10.0,N,A*07", "MWV T 90.5@5.144444");
    row("MWV true ignored for apparent", apparent, "$YXMWV,090.5,T,10.0,N,A*07", "");
    row("MWV relative read for true wind too", trueWind, "$IIMWV,045.0,R,12.5,N,A*0A",
        "MWV 45@6.430556");
    row("MWV status V", apparent, "$IIMWV,045.0,R,12.5,N,V*1D", "");
    row("MWV empty angle", apparent, "$IIMWV,,R,12.5,N,A*25", "");
    row("MWV unknown unit", apparent, "$IIMWV,045.0,R,12.5,S,A*17", "");
    row("MWV cut short", apparent, "$IIMWV,045.0,R", "");
    row("MWV wrong checksum", apparent, "$IIMWV,045.0,R,12.5,N,A*0B", "rejected MWV");
    row("MWV damaged in a field", apparent, "$IIMWV,045.0,R,17.5,N,A*0A", "rejected MWV");
    // One limit for every input: what no wind can be is a damaged sentence,
    // never a reading the display would fold into range.
    row("MWV angle of a full turn", apparent, "$IIMWV,360.0,R,12.5,N,A*0E", "MWV 360@6.430556");
    row("MWV angle of two turns", apparent, "$IIMWV,720.0,R,12.5,N,A*0E", "rejected MWV");
    row("MWV negative angle", apparent, "$IIMWV,-45.0,R,12.5,N,A*17", "rejected MWV");
    row("MWV fastest readable speed", apparent, "$IIMWV,045.0,R,999.9,M,A*3F", "MWV 45@999.9");
    row("MWV speed above the limit", apparent, "$IIMWV,045.0,R,1000.0,M,A*0E", "rejected MWV");
    row("MWV negative speed", apparent, "$IIMWV,045.0,R,-1.0,M,A*13", "rejected MWV");
    row("VWR port side, m/s before knots and km/h", apparent,
        "$IIVWR,030.0,L,10.0,N,6.0,M,20.0,K*51", "VWR 330@6");
    row("VWR starboard, knots only, angle ending in a point", apparent,
        "$IIVWR,148.,R,02.4,N,,M,,K*42", "VWR 148@1.234667");
    row("VWR dead ahead on port, km/h only", apparent, "$IIVWR,000,L,,N,,M,18,K*6E", "VWR 360@5");
    row("VWR without its m/s and km/h fields", apparent, "$IIVWR,180,L,1.0,N*47",
        "VWR 180@0.5144444");
    row("VWR angle beyond 180", apparent, "$IIVWR,190.0,R,10.0,N,5.1,M,18.5,K*48", "rejected VWR");
    row("VWR read for true wind", trueWind, "$IIVWR,030.0,L,10.0,N,6.0,M,20.0,K*51", "VWR 330@6");
    row("MWD, m/s before knots", trueWind, "$WIMWD,270.0,T,268.5,M,20.0,N,9.0,M*6D", "MWD 270@9");
    row("MWD knots only", trueWind, "$WIMWD,010.5,T,,M,15.0,N,,M*6A", "MWD 10.5@7.716667");
    row("MWD direction without speed", trueWind, "$WIMWD,270.0,T,,M,,N,,M*71", "");
    row("MWD magnetic direction only", trueWind, "$WIMWD,,T,268.5,M,20.0,N,9.0,M*46", "");
    row("MWD beyond a full turn", trueWind, "$WIMWD,361.0,T,,M,15.0,N,,M*6A", "rejected MWD");
    row("MWD wrong checksum", trueWind, "$WIMWD,270.0,T,268.5,M,20.0,N,9.0,M*00", "rejected MWD");
    row("MWD ignored for apparent, damaged or not", apparent,
        "$WIMWD,270.0,T,268.5,M,20.0,N,9.0,M*00", "");
    row("XDR with wrong checksum", apparent, "$WIXDR,C,12.3,C,AIRTEMP,P,1.013,B,BARO*00", "");
    row("RMC, HDG, proprietary ignored for apparent", apparent,
        "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n"
        "$HCHDG,101.1,2.0,E,7.1,W*55\r\n$PGRME,15.0,M,45.0,M,25.0,M*1C",
        "");
    row("proprietary that looks like MWV", apparent, "$PAMWV,045.0,R,12.5,N,A", "");

    // The boat's motion, read for the true wind.
    row("VHW speed through water in knots and true heading", trueWind,
        "$IIVHW,245.1,T,243.7,M,5.6,N,10.4,K*63", "VHW water 2.880889, VHW heading 245.1");
    row("VHW faster than 50 knots keeps its heading", trueWind, "$IIVHW,245.1,T,,M,50.1,N,,K*63",
        "VHW heading 245.1");
    row("VHW heading over 360, negative speed", trueWind, "$IIVHW,361.0,T,,M,-1.0,N,,K*7D", "");
    row("VHW wrong checksum is not used, not rejected", trueWind,
        "$IIVHW,245.1,T,243.7,M,5.6,N,10.4,K*64", "");
    row("VTG speed over ground", trueWind, "$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K,A*25",
        "VTG ground 2.829444");
    row("VTG mode not valid", trueWind, "$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K,N*2A", "");
    row("RMC status A", trueWind,
        "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A",
        "RMC ground 11.52356");
    row("RMC status V", trueWind,
        "$GPRMC,123519,V,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*7D", "");
    row("HDT", trueWind, "$HEHDT,274.1,T*2F", "HDT heading 274.1");
    row("HDG with deviation east and variation west", trueWind, "$HCHDG,101.1,2.0,E,7.1,W*55",
        "HDG heading 96");
    row("HDG variation east past north", trueWind, "$HCHDG,355.0,,,7.5,E*28", "HDG heading 2.5");
    row("HDG without variation is no true heading", trueWind, "$HCHDG,101.1,,,,*43", "");

    const QByteArray mwv = "$IIMWV,045.0,R,12.5,N,A*0A";
    const QString reading = QStringLiteral("MWV 45@6.430556");
    row("LF and CR line ends", apparent, mwv + "\n" + mwv + "\r" + mwv,
        QStringList(3, reading).join(QStringLiteral(", ")));
    row("XDR and status V between readings", apparent,
        mwv + "\r\n$WIXDR,C,12.3,C,AIRTEMP,P,1.013,B,BARO*39\r\n$IIMWV,045.0,R,12.5,N,V*1D\r\n"
            + mwv,
        reading + QStringLiteral(", ") + reading);
    row("noise before the sentence", apparent, "\x01\xff#garbage" + mwv, reading);
    row("sentence torn by the next one", apparent, "$IIMWV,04" + mwv, reading);
    row("line without a start dropped", apparent, mwv.sliced(1), "");
    // gpsd sends its own reports between the sentences it relays.
    row("JSON lines around a sentence", trueWind,
        "{\"class\":\"VERSION\",\"release\":\"3.22\",\"proto_major\":3,\"proto_minor\":14}\r\n"
        "{\"class\":\"WATCH\",\"enable\":true,\"json\":false,\"nmea\":true}\r\n"
            + mwv + "\r\n{\"class\":\"DEVICE\",\"path\":\"tcp://b:10110\",\"driver\":\"NMEA0183\"}",
        reading);
    row("80 characters, the longest sentence", apparent,
        "$IIMWV,000000000000000000000000000000000000000000000000000000045.0,R,12.5,N,A*0A",
        reading);
    row("81 characters dropped", apparent,
        "$IIMWV,0000000000000000000000000000000000000000000000000000000045.0,R,12.5,N,A*3A", "");
    row("sentence after an overlong stretch of the same line", apparent,
        "$" + QByteArray(200, 'x') + mwv, reading);

    // Which of the winds the display shows is the choice's business: the
    // reader passes on every one.
    const QByteArray mwvTrue = "$YXMWV,090.5,T,10.0,N,A*07\r\n";
    const QByteArray mwd = "$WIMWD,270.0,T,268.5,M,20.0,N,9.0,M*6D\r\n";
    row("MWD and MWV with T all passed on", trueWind, mwvTrue + mwd + mwvTrue,
        "MWV T 90.5@5.144444, MWD 270@9, MWV T 90.5@5.144444");
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
             QStringLiteral("MWV 45@6.430556"));

    // A sentence waits for its line end, and a new stream forgets it.
    QVERIFY(reader.feed("$IIMWV,045.0,R,12.5,N,A*0A").empty());
    reader.reset();
    QCOMPARE(reader.bufferedSize(), 0);
    QVERIFY(reader.feed("\r\n").empty());
}

QTEST_APPLESS_MAIN(tst_NmeaWindReader)
#include "tst_nmeawindreader.moc"
