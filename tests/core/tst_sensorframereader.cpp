// SPDX-License-Identifier: MIT
#include "core/sensorframe.h"
#include "core/sensorframereader.h"

#include <QTest>

namespace {

// STX, payload, ETX and the checksum text given, or the payload's own.
QByteArray frame(const QByteArray &payload, const QByteArray &checksum = {})
{
    const QByteArray text = checksum.isNull()
        ? QByteArray::number(sensorChecksum(QString::fromLatin1(payload)), 16).toUpper()
        : checksum;
    return '\x02' + payload + '\x03' + text.rightJustified(checksum.isNull() ? 2 : 0, '0') + "\r\n";
}

// Each event as "direction speed" ("-" for a value left out) or "rejected".
QStringList describe(const std::vector<WindLineEvent> &events)
{
    QStringList texts;
    const auto value = [](const std::optional<double> &v) {
        return v ? QString::number(*v) : QStringLiteral("-");
    };
    for (const WindLineEvent &event : events) {
        texts << (event.kind == WindLineEvent::Kind::Rejected
                      ? QStringLiteral("rejected")
                      : value(event.reading.directionDegrees) + u' '
                          + value(event.reading.speedMetresPerSecond));
    }
    return texts;
}

} // namespace

class tst_SensorFrameReader : public QObject
{
    Q_OBJECT

private slots:
    void readsFramesHoweverSplit_data();
    void readsFramesHoweverSplit();
    void loneChecksumDigitWaitsForAQuietLine();
};

void tst_SensorFrameReader::readsFramesHoweverSplit_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QStringList>("events");

    QTest::newRow("good frame") << frame("A,123.4,5.6") << QStringList{"123.4 5.6"};
    QTest::newRow("wrong checksum") << frame("A,123.4,5.6", "47") << QStringList{"rejected"};
    QTest::newRow("direction not a number, speed kept")
        << frame("A,abc,5.6") << QStringList{"- 5.6"};
    QTest::newRow("speed empty, direction kept") << frame("Q,090,,M,00,") << QStringList{"90 -"};
    // One limit for every input: no wind is faster, so the frame is damaged.
    QTest::newRow("fastest readable speed")
        << frame("Q,090,999.90,M,00,") << QStringList{"90 999.9"};
    QTest::newRow("speed above the limit")
        << frame("Q,090,9999.99,M,00,") << QStringList{"rejected"};
    QTest::newRow("speed above the limit, direction unreadable")
        << frame("Q,-,1000.00,M,00,") << QStringList{"rejected"};
    // Noise passes a one-byte checksum one time in 256: such frames are
    // rejected, never a failure that stops listening.
    QTest::newRow("speed field missing") << frame("A,123.4") << QStringList{"rejected"};
    QTest::newRow("empty frame") << frame("") << QStringList{"rejected"};
    QTest::newRow("number too large")
        << frame("A,1" + QByteArray(400, '0') + ",5") << QStringList{"rejected"};
    QTest::newRow("checksum not hexadecimal") << frame("A,1,2", "4G") << QStringList{"rejected"};
    QTest::newRow("frame too long, then a good one")
        << frame("A,1,2," + QByteArray(MaxSensorPayloadLength, 'x')) + frame("A,10,1")
        << QStringList{"rejected", "10 1"};
    QTest::newRow("banner, the tail of a frame, two frames") << "READY\r\n,7.5\x03"
                                                                "3F\r\n"
            + frame("A,10,1") + frame("A,20,2") << QStringList{"10 1", "20 2"};
}

void tst_SensorFrameReader::readsFramesHoweverSplit()
{
    QFETCH(QByteArray, line);
    QFETCH(QStringList, events);

    SensorFrameReader whole;
    QCOMPARE(describe(whole.feed(line)), events);

    SensorFrameReader byteByByte;
    std::vector<WindLineEvent> taken;
    for (const char byte : line) {
        for (const WindLineEvent &event : byteByByte.feed(QByteArrayView(&byte, 1)))
            taken.push_back(event);
    }
    QCOMPARE(describe(taken), events);
    QVERIFY(byteByByte.bufferedSize() <= MaxSensorPayloadLength + 2);
}

// A sensor that writes the checksum 08 as "8" and no line end.
void tst_SensorFrameReader::loneChecksumDigitWaitsForAQuietLine()
{
    SensorFrameReader reader;
    QVERIFY(reader
                .feed("\x02"
                      "AP,45,12.5\x03"
                      "8")
                .empty());
    QVERIFY(reader.awaitsQuietLine());
    QCOMPARE(describe(reader.lineWentQuiet()), QStringList{"45 12.5"});
    QVERIFY(!reader.awaitsQuietLine());

    // A new connection starts clean: half a frame of the old one is gone.
    QVERIFY(reader
                .feed("\x02"
                      "A,1")
                .empty());
    reader.reset();
    QCOMPARE(describe(reader.feed(",2" + frame("A,30,3"))), QStringList{"30 3"});
}

QTEST_GUILESS_MAIN(tst_SensorFrameReader)
#include "tst_sensorframereader.moc"
