// SPDX-License-Identifier: MIT
#include "core/apperror.h"
#include "core/sensorframe.h"

#include <QLocale>
#include <QRandomGenerator>
#include <QTest>

using Kind = AppError::Kind;
using Verdict = SensorChecksumVerdict;

namespace {

const QString STX(SensorFrameStart);
const QString ETX(SensorFrameEnd);

QString frame(const QString &payload, const QString &checksum)
{
    return STX + payload + ETX + checksum;
}

// What the listening loop does with its buffer after each read: take every
// complete frame, trimming whenever none is complete. Each frame is written
// as "payload|checksum text".
QStringList takeFrames(QString &buffer)
{
    QStringList taken;
    while (const auto next = extractSensorFrame(buffer)) {
        taken << next->payload + u'|' + next->checksumText;
        buffer = next->newBuffer;
    }
    trimReceiveBuffer(buffer);
    return taken;
}

} // namespace

Q_DECLARE_METATYPE(Kind)
Q_DECLARE_METATYPE(Verdict)

class tst_SensorFrame : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void extract_data();
    void extract();
    void loneChecksumDigit_data();
    void loneChecksumDigit();
    void stream_data();
    void stream();
    void splitAtEveryPosition_data() { stream_data(); }
    void splitAtEveryPosition();
    void trim_data();
    void trim();
    void overlongFrameOverflowsHoweverSplit_data();
    void overlongFrameOverflowsHoweverSplit();
    void noiseNeverGrowsTheBuffer();
    void verdict_data();
    void verdict();
    void verdictFailure_data();
    void verdictFailure();
    void field_data();
    void field();
    void fieldFailure_data();
    void fieldFailure();
};

void tst_SensorFrame::initTestCase()
{
    // A decimal comma in the user's locale must not change how frames read.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
}

void tst_SensorFrame::extract_data()
{
    QTest::addColumn<QString>("buffer");
    QTest::addColumn<bool>("taken");
    QTest::addColumn<QString>("payload");
    QTest::addColumn<QString>("checksumText");
    QTest::addColumn<QString>("newBuffer");

    const QString f = frame("A,123.4,5.6", "46");
    QTest::newRow("example frame") << f << true << "A,123.4,5.6"
                                   << "46"
                                   << "46";
    QTest::newRow("no ETX") << STX + "A,1" << false << ""
                            << ""
                            << "";
    QTest::newRow("no STX") << "A,1" + ETX + "46" << false << ""
                            << ""
                            << "";
    QTest::newRow("checksum not arrived") << frame("A,1,2", "") << false << ""
                                          << ""
                                          << "";
    QTest::newRow("one checksum digit so far") << frame("A,1,2", "4") << false << ""
                                               << ""
                                               << "";
    QTest::newRow("one digit ended by CR") << frame("A,1,2", "4\r") << true << "A,1,2"
                                           << "4"
                                           << "4\r";
    QTest::newRow("next frame stays") << f + STX + "B,1" << true << "A,123.4,5.6"
                                      << "46"
                                      << "46" + STX + "B,1";
    QTest::newRow("previous checksum dropped")
        << "46\r\n" + frame("A,270,12.5", "6C\r\n") << true << "A,270,12.5"
        << "6C"
        << "6C\r\n";
    QTest::newRow("line end ends checksum text") << f + "\r\n#x" << true << "A,123.4,5.6"
                                                 << "46"
                                                 << "46\r\n#x";
    QTest::newRow("missing checksum before CR LF") << frame("A,1,2", "\r\n") << true << "A,1,2"
                                                   << ""
                                                   << "\r\n";
    QTest::newRow("missing checksum before STX") << frame("A,1,2", STX) << true << "A,1,2"
                                                 << "" << STX;
    QTest::newRow("non-hex checksum taken") << frame("A,1,2", "4G") << true << "A,1,2"
                                            << "4G"
                                            << "4G";
    QTest::newRow("started inside a frame") << ",5.6" + ETX + "46" + f << true << "A,123.4,5.6"
                                            << "46"
                                            << "46";
    QTest::newRow("stray ETX in noise") << "x" + ETX + "y" + ETX + f << true << "A,123.4,5.6"
                                        << "46"
                                        << "46";
    QTest::newRow("lost ETX") << STX + "A,9" + f << true << "A,123.4,5.6"
                              << "46"
                              << "46";
    QTest::newRow("empty payload") << frame("", "00") << true << ""
                                   << "00"
                                   << "00";
    QTest::newRow("payload at the limit") << frame(QString(MaxSensorPayloadLength, u'x'), "00")
                                          << true << QString(MaxSensorPayloadLength, u'x') << "00"
                                          << "00";
    QTest::newRow("STX beyond 16-bit position") << QString(40000, u'n') + f << true << "A,123.4,5.6"
                                                << "46"
                                                << "46";
}

void tst_SensorFrame::extract()
{
    QFETCH(QString, buffer);
    QFETCH(bool, taken);

    const std::optional<SensorFrame> result = extractSensorFrame(buffer);
    QCOMPARE(result.has_value(), taken);
    if (taken) {
        QTEST(result->payload, "payload");
        QTEST(result->checksumText, "checksumText");
        QTEST(result->newBuffer, "newBuffer");
    }
}

void tst_SensorFrame::loneChecksumDigit_data()
{
    QTest::addColumn<QString>("buffer");
    QTest::addColumn<bool>("awaitsSecondDigit");
    QTest::addColumn<bool>("takenOnAQuietLine");

    // "AP,45,12.5" has the checksum 08, which a sensor may write as "8".
    QTest::newRow("lone digit is the whole checksum once quiet")
        << frame("AP,45,12.5", "8") << true << true;
    QTest::newRow("no digit yet still waits") << frame("AP,45,12.5", "") << false << false;
    QTest::newRow("two digits need no quiet") << frame("AP,45,12.5", "08") << false << true;
    QTest::newRow("lone digit ended by CR needs no quiet")
        << frame("AP,45,12.5", "8\r") << false << true;
    QTest::newRow("only the first frame counts")
        << frame("AP,45,12.5", "08") + frame("AP,45,12.5", "8") << false << true;
}

void tst_SensorFrame::loneChecksumDigit()
{
    QFETCH(QString, buffer);
    QTEST(awaitsSecondChecksumDigit(buffer), "awaitsSecondDigit");
    const auto taken = extractSensorFrame(buffer, SensorLine::Quiet);
    QTEST(taken.has_value(), "takenOnAQuietLine");
    if (taken)
        QCOMPARE(verifySensorChecksum(taken->payload, taken->checksumText), Verdict::Match);
}

void tst_SensorFrame::stream_data()
{
    QTest::addColumn<QString>("received");
    QTest::addColumn<QStringList>("frames");

    const QString a = frame("A,123.4,5.6", "46");
    const QString b = frame("A,270,12.5", "6c");
    const QString q = frame("Q,045,003.60,M,00,", "1A");
    const QStringList ab{"A,123.4,5.6|46", "A,270,12.5|6c"};
    QTest::newRow("bare frames back to back") << a + b << ab;
    QTest::newRow("frames with CR LF") << a + "\r\n" + b + "\r\n" << ab;
    QTest::newRow("noise between frames") << a + "\r\n" + QString::fromLatin1("\xB7#!") + b + "\r\n"
                                          << ab;
    QTest::newRow("starts inside a frame") << "23.4,5.6" + ETX + "46\r\n" + a + b << ab;
    QTest::newRow("frame with lost ETX") << STX + "A,9," + a + b << ab;
    QTest::newRow("sensor frame") << q + "\r\n" << QStringList{"Q,045,003.60,M,00,|1A"};
}

void tst_SensorFrame::stream()
{
    QFETCH(QString, received);
    QTEST(takeFrames(received), "frames");
}

void tst_SensorFrame::splitAtEveryPosition()
{
    QFETCH(QString, received);
    QFETCH(QStringList, frames);

    for (qsizetype split = 1; split < received.size(); ++split) {
        QString buffer;
        buffer += received.left(split);
        QStringList taken = takeFrames(buffer);
        buffer += received.mid(split);
        taken += takeFrames(buffer);
        QVERIFY2(taken == frames,
                 qPrintable(QStringLiteral("split at %1: ").arg(split) + taken.join(u' ')));
    }
}

void tst_SensorFrame::trim_data()
{
    QTest::addColumn<QString>("buffer");
    QTest::addColumn<QString>("kept");

    const QString noise(40000, u'n');
    QTest::newRow("short text without STX") << "46\r\n"
                                            << "46\r\n";
    QTest::newRow("long text without STX") << noise << QString(MaxSensorPayloadLength, u'n');
    QTest::newRow("text before unfinished frame") << "46\r\nxx" + STX + "A,1" << STX + "A,1";
    QTest::newRow("frame awaiting checksum") << "x" + frame("A,1,2", "4") << frame("A,1,2", "4");
    QTest::newRow("complete frame untouched")
        << noise + frame("A,1,2", "42") + STX << noise + frame("A,1,2", "42") + STX;
    QTest::newRow("overlong unfinished frame")
        << STX + noise << STX + QString(MaxSensorPayloadLength + 1, u'n');
}

void tst_SensorFrame::trim()
{
    QFETCH(QString, buffer);
    trimReceiveBuffer(buffer);
    QTEST(buffer, "kept");
}

void tst_SensorFrame::overlongFrameOverflowsHoweverSplit_data()
{
    QTest::addColumn<int>("chunk");
    QTest::newRow("in one read") << 100000;
    QTest::newRow("in many reads") << 997;
}

void tst_SensorFrame::overlongFrameOverflowsHoweverSplit()
{
    QFETCH(int, chunk);
    const QString received = frame(QString(MaxSensorPayloadLength + 5000, u'x'), "00");

    QString buffer;
    for (qsizetype at = 0; at < received.size(); at += chunk) {
        buffer += received.mid(at, chunk);
        try {
            if (extractSensorFrame(buffer))
                QFAIL("an overlong frame was taken");
        } catch (const AppError &error) {
            QCOMPARE(error.kind(), Kind::Overflow);
            QVERIFY(error.description().startsWith("Overflow: "));
            return;
        }
        trimReceiveBuffer(buffer);
        QVERIFY(buffer.size() <= MaxSensorPayloadLength + 2);
    }
    QFAIL("no overflow");
}

void tst_SensorFrame::noiseNeverGrowsTheBuffer()
{
    // A wrong baud rate: random bytes, markers included.
    QRandomGenerator random(7);
    QString buffer;
    for (int read = 0; read < 200; ++read) {
        for (int i = 0; i < 1000; ++i)
            buffer += QChar(random.bounded(256));
        takeFrames(buffer);
        QVERIFY(buffer.size() <= MaxSensorPayloadLength + 3);
    }
    buffer = QString(100000, u'n');
    takeFrames(buffer);
    QCOMPARE(buffer.size(), MaxSensorPayloadLength);
}

void tst_SensorFrame::verdict_data()
{
    QTest::addColumn<QString>("payload");
    QTest::addColumn<QString>("checksumText");
    QTest::addColumn<Verdict>("verdict");

    QTest::newRow("example match") << "A,123.4,5.6"
                                   << "46" << Verdict::Match;
    QTest::newRow("example mismatch") << "A,123.4,5.6"
                                      << "47" << Verdict::Mismatch;
    QTest::newRow("leading zero") << "AD,1,2"
                                  << "06" << Verdict::Match;
    QTest::newRow("single digit") << "AD,1,2"
                                  << "6" << Verdict::Match;
    QTest::newRow("lower case") << "A,270,12.5"
                                << "6c" << Verdict::Match;
    QTest::newRow("upper case") << "A,270,12.5"
                                << "6C" << Verdict::Match;
    QTest::newRow("white space around") << "A,123.4,5.6"
                                        << " 46\t" << Verdict::Match;
    QTest::newRow("many leading zeros") << "A,123.4,5.6"
                                        << "000046" << Verdict::Match;
    QTest::newRow("more than a byte") << "A,123.4,5.6"
                                      << "146" << Verdict::Mismatch;
    QTest::newRow("huge number") << "A,123.4,5.6"
                                 << "FFFFFFFFFFFFFFFF46" << Verdict::Mismatch;
    QTest::newRow("empty payload") << ""
                                   << "00" << Verdict::Match;
    QTest::newRow("high bytes") << QString::fromLatin1("\xFF\x80") << "7f" << Verdict::Match;
}

void tst_SensorFrame::verdict()
{
    QFETCH(QString, payload);
    QFETCH(QString, checksumText);
    QTEST(verifySensorChecksum(payload, checksumText), "verdict");
}

void tst_SensorFrame::verdictFailure_data()
{
    QTest::addColumn<QString>("checksumText");
    QTest::addColumn<QString>("description");

    QTest::newRow("empty") << ""
                           << "Type mismatch: the frame has no checksum text after its end marker";
    QTest::newRow("blank") << " \t"
                           << "Type mismatch: the frame has no checksum text after its end marker";
    QTest::newRow("not hex")
        << "4G"
        << "Type mismatch: the checksum text \"4G\" is not a hexadecimal number";
    QTest::newRow("prefix") << "0x46"
                            << "Type mismatch: the checksum text \"0x46\" is not a "
                               "hexadecimal number";
    QTest::newRow("sign") << "-46"
                          << "Type mismatch: the checksum text \"-46\" is not a "
                             "hexadecimal number";
    QTest::newRow("blank inside") << "4 6"
                                  << "Type mismatch: the checksum text \"4 6\" is not a "
                                     "hexadecimal number";
    QTest::newRow("control character") << "4" + ETX
                                       << "Type mismatch: the checksum text "
                                          "\"4<ETX>\" is not a hexadecimal number";
}

void tst_SensorFrame::verdictFailure()
{
    QFETCH(QString, checksumText);
    try {
        verifySensorChecksum("A,123.4,5.6", checksumText);
        QFAIL("no failure");
    } catch (const AppError &error) {
        QCOMPARE(error.kind(), Kind::TypeMismatch);
        QTEST(error.description(), "description");
    }
}

void tst_SensorFrame::field_data()
{
    QTest::addColumn<QString>("payload");
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("numeric");
    QTest::addColumn<double>("value");

    QTest::newRow("example direction") << "A,123.4,5.6" << 1 << true << 123.4;
    QTest::newRow("example speed") << "A,123.4,5.6" << 2 << true << 5.6;
    QTest::newRow("abc direction") << "A,abc,5.6" << 1 << false << 0.0;
    QTest::newRow("speed after abc") << "A,abc,5.6" << 2 << true << 5.6;
    QTest::newRow("extra fields ignored") << "A,10,2,extra,more" << 2 << true << 2.0;
    QTest::newRow("direction before missing speed") << "A,123.4" << 1 << true << 123.4;
    QTest::newRow("leading zeros") << "Q,045,002.74,M" << 2 << true << 2.74;
    QTest::newRow("blanks and sign") << "A, -3.0 ,0" << 1 << true << -3.0;
    QTest::newRow("no integer digits") << "A,.5,0" << 1 << true << 0.5;
    QTest::newRow("no fraction digits") << "A,5.,0" << 1 << true << 5.0;
    QTest::newRow("out of range passed on") << "A,400,-2" << 1 << true << 400.0;
    QTest::newRow("too small reads as zero")
        << "A,0." + QString(400, u'0') + "1,0" << 1 << true << 0.0;
    QTest::newRow("empty") << "A,,5.6" << 1 << false << 0.0;
    QTest::newRow("two points") << "A,1.2.3,0" << 1 << false << 0.0;
    QTest::newRow("unit suffix") << "A,12.5m,0" << 1 << false << 0.0;
    QTest::newRow("exponent") << "A,1e2,0" << 1 << false << 0.0;
    QTest::newRow("sign alone") << "A,-,0" << 1 << false << 0.0;
    QTest::newRow("blank after sign") << "A,- 5,0" << 1 << false << 0.0;
}

void tst_SensorFrame::field()
{
    QFETCH(QString, payload);
    QFETCH(int, index);
    QFETCH(bool, numeric);

    const std::optional<double> value = readSensorField(payload, index);
    QCOMPARE(value.has_value(), numeric);
    if (numeric)
        QTEST(*value, "value");
}

void tst_SensorFrame::fieldFailure_data()
{
    QTest::addColumn<QString>("payload");
    QTest::addColumn<int>("index");
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("description");

    QTest::newRow("no speed field")
        << "A,123.4" << 2 << Kind::SubscriptOutOfRange
        << "Subscript out of range: the frame \"A,123.4\" has no field 2";
    QTest::newRow("empty payload") << "" << 1 << Kind::SubscriptOutOfRange
                                   << "Subscript out of range: the frame \"\" has no field 1";
    QTest::newRow("negative index")
        << "A,1,2" << -1 << Kind::SubscriptOutOfRange
        << "Subscript out of range: the frame \"A,1,2\" has no field -1";
    QTest::newRow("too large for a double")
        << "A," + QString(400, u'9') + ",0" << 1 << Kind::Overflow
        << "Overflow: field 1 \"" + QString(40, u'9') + "...\" is too large for a number";
}

void tst_SensorFrame::fieldFailure()
{
    QFETCH(QString, payload);
    QFETCH(int, index);
    try {
        readSensorField(payload, index);
        QFAIL("no failure");
    } catch (const AppError &error) {
        QTEST(error.kind(), "kind");
        QTEST(error.description(), "description");
    }
}

QTEST_GUILESS_MAIN(tst_SensorFrame)
#include "tst_sensorframe.moc"
