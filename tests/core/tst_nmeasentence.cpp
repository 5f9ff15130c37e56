// SPDX-License-Identifier: MIT
#include "core/nmeasentence.h"

#include <QRegularExpression>
#include <QTest>

#include <cmath>
#include <limits>

// Every expected sentence below was checksummed by hand (XOR of the bytes
// between '$' and '*'), not by the code under test.
class tst_NmeaSentence : public QObject
{
    Q_OBJECT

private slots:
    void checksum_data();
    void checksum();
    void mwv_data();
    void mwv();
    void mwd_data();
    void mwd();
    void voidMwvCarriesTheUnit_data();
    void voidMwvCarriesTheUnit();
    void unstatableSampleGivesNoSentence_data();
    void unstatableSampleGivesNoSentence();
    void extremesStayWellFormed_data();
    void extremesStayWellFormed();
};

void tst_NmeaSentence::checksum_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QByteArray>("sentence");

    QTest::newRow("widely published position sentence")
        << QByteArray("GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W")
        << QByteArray("$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n");
    QTest::newRow("checksum below 16 keeps its leading zero")
        << QByteArray("A@") << QByteArray("$A@*01\r\n");
    QTest::newRow("empty body checksums to 00") << QByteArray() << QByteArray("$*00\r\n");
    QTest::newRow("hex letters are upper case")
        << QByteArray("WIMWV,,R,,N,V") << QByteArray("$WIMWV,,R,,N,V*34\r\n");
}

void tst_NmeaSentence::checksum()
{
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, sentence);
    QCOMPARE(nmeaSentence(body), sentence);
}

void tst_NmeaSentence::mwv_data()
{
    QTest::addColumn<double>("direction");
    QTest::addColumn<double>("speed");
    QTest::addColumn<SpeedUnit>("unit");
    QTest::addColumn<QByteArray>("sentence");

    const auto m = SpeedUnit::MetresPerSecond;
    QTest::newRow("small angle zero-padded to three digits")
        << 5.0 << 1.0 << m << QByteArray("$WIMWV,005.0,R,1.0,M,A*24\r\n");
    QTest::newRow("359.94 stays below a full turn")
        << 359.94 << 5.0 << m << QByteArray("$WIMWV,359.9,R,5.0,M,A*23\r\n");
    QTest::newRow("359.95 rounds to 000.0, never 360.0")
        << 359.95 << 5.0 << m << QByteArray("$WIMWV,000.0,R,5.0,M,A*25\r\n");
    QTest::newRow("360 from the window's correction is 000.0")
        << 360.0 << 5.0 << m << QByteArray("$WIMWV,000.0,R,5.0,M,A*25\r\n");
    QTest::newRow("-0.5 from the window's correction is 359.5")
        << -0.5 << 5.0 << m << QByteArray("$WIMWV,359.5,R,5.0,M,A*2F\r\n");
    QTest::newRow("tiny negative angle is 000.0, not 360.0")
        << -1e-12 << 5.0 << m << QByteArray("$WIMWV,000.0,R,5.0,M,A*25\r\n");
    QTest::newRow("720 left by a single correction is 000.0")
        << 720.0 << 5.0 << m << QByteArray("$WIMWV,000.0,R,5.0,M,A*25\r\n");
    QTest::newRow("-400 left by a single correction is 320.0")
        << -400.0 << 5.0 << m << QByteArray("$WIMWV,320.0,R,5.0,M,A*24\r\n");
    QTest::newRow("0.06 rounds up to 000.1")
        << 0.06 << 5.0 << m << QByteArray("$WIMWV,000.1,R,5.0,M,A*24\r\n");
    // 0.15 is just below 0.15 as a double: the readouts write 0.1, and so
    // does every sentence.
    QTest::newRow("0.15 m/s is 0.1, as the readouts round it")
        << 5.0 << 0.15 << m << QByteArray("$WIMWV,005.0,R,0.1,M,A*24\r\n");
    QTest::newRow("knots with the display's factor")
        << 45.3 << 10.0 << SpeedUnit::Knots << QByteArray("$WIMWV,045.3,R,19.4,N,A*1D\r\n");
    QTest::newRow("km/h") << 45.3 << 10.0 << SpeedUnit::KilometresPerHour
                          << QByteArray("$WIMWV,045.3,R,36.0,K,A*11\r\n");
    QTest::newRow("calm, negative zero speed printed 0.0")
        << 0.0 << -0.0 << SpeedUnit::Knots << QByteArray("$WIMWV,000.0,R,0.0,N,A*23\r\n");
    QTest::newRow("highest stated speed, in km/h")
        << 180.0 << NmeaMaxSpeedMetresPerSecond << SpeedUnit::KilometresPerHour
        << QByteArray("$WIMWV,180.0,R,3599.6,K,A*1F\r\n");
}

void tst_NmeaSentence::mwv()
{
    QFETCH(double, direction);
    QFETCH(double, speed);
    QFETCH(SpeedUnit, unit);
    QFETCH(QByteArray, sentence);
    QCOMPARE(nmeaMwvSentence(direction, speed, unit), sentence);
}

void tst_NmeaSentence::mwd_data()
{
    QTest::addColumn<double>("direction");
    QTest::addColumn<double>("speed");
    QTest::addColumn<QByteArray>("sentence");

    QTest::newRow("north and calm")
        << 0.0 << 0.0 << QByteArray("$WIMWD,000.0,T,,M,0.0,N,0.0,M*74\r\n");
    QTest::newRow("knots and m/s side by side")
        << 270.04 << 12.3 << QByteArray("$WIMWD,270.0,T,,M,23.9,N,12.3,M*79\r\n");
    QTest::newRow("full turn from rounding is 000.0")
        << 359.96 << 0.0 << QByteArray("$WIMWD,000.0,T,,M,0.0,N,0.0,M*74\r\n");
    QTest::newRow("widest fields") << 359.9 << NmeaMaxSpeedMetresPerSecond
                                   << QByteArray("$WIMWD,359.9,T,,M,1943.7,N,999.9,M*4A\r\n");
}

void tst_NmeaSentence::mwd()
{
    QFETCH(double, direction);
    QFETCH(double, speed);
    QFETCH(QByteArray, sentence);
    QCOMPARE(nmeaMwdSentence(direction, speed), sentence);
}

void tst_NmeaSentence::voidMwvCarriesTheUnit_data()
{
    QTest::addColumn<SpeedUnit>("unit");
    QTest::addColumn<QByteArray>("sentence");

    QTest::newRow("knots") << SpeedUnit::Knots << QByteArray("$WIMWV,,R,,N,V*34\r\n");
    QTest::newRow("m/s") << SpeedUnit::MetresPerSecond << QByteArray("$WIMWV,,R,,M,V*37\r\n");
    QTest::newRow("km/h") << SpeedUnit::KilometresPerHour << QByteArray("$WIMWV,,R,,K,V*31\r\n");
}

void tst_NmeaSentence::voidMwvCarriesTheUnit()
{
    QFETCH(SpeedUnit, unit);
    QFETCH(QByteArray, sentence);
    QCOMPARE(nmeaMwvVoidSentence(unit), sentence);
}

void tst_NmeaSentence::unstatableSampleGivesNoSentence_data()
{
    QTest::addColumn<double>("direction");
    QTest::addColumn<double>("speed");

    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    QTest::newRow("NaN direction") << nan << 5.0;
    QTest::newRow("infinite direction") << inf << 5.0;
    QTest::newRow("negative infinite direction") << -inf << 5.0;
    QTest::newRow("NaN speed") << 10.0 << nan;
    QTest::newRow("infinite speed") << 10.0 << inf;
    QTest::newRow("negative speed") << 10.0 << -0.01;
    QTest::newRow("speed just above the bound")
        << 10.0 << std::nextafter(NmeaMaxSpeedMetresPerSecond, 2000.0);
    QTest::newRow("speed that would need 300 digits") << 10.0 << 1e300;
}

void tst_NmeaSentence::unstatableSampleGivesNoSentence()
{
    QFETCH(double, direction);
    QFETCH(double, speed);
    for (const SpeedUnit unit :
         {SpeedUnit::Knots, SpeedUnit::MetresPerSecond, SpeedUnit::KilometresPerHour})
        QCOMPARE(nmeaMwvSentence(direction, speed, unit), QByteArray());
    QCOMPARE(nmeaMwdSentence(direction, speed), QByteArray());
}

// Whatever finite sample arrives, the sentence has its exact shape, a
// checksum that matches and at most 82 characters.
void tst_NmeaSentence::extremesStayWellFormed_data()
{
    QTest::addColumn<double>("direction");
    QTest::addColumn<double>("speed");

    const double directions[]
        = {0, -0.0, 359.949999, 359.95, 360, -1e-300, 1e300, -1e300, 1e-9, 180, -359.99, 719.99};
    const double speeds[] = {0, 0.04, 0.05, 99.95, NmeaMaxSpeedMetresPerSecond};
    for (const double direction : directions) {
        for (const double speed : speeds)
            QTest::addRow("direction %g speed %g", direction, speed) << direction << speed;
    }
}

void tst_NmeaSentence::extremesStayWellFormed()
{
    QFETCH(double, direction);
    QFETCH(double, speed);

    static const QRegularExpression mwvShape(QStringLiteral(
        R"(^\$(WIMWV,([0-2]\d\d|3[0-5]\d)\.\d,R,\d{1,4}\.\d,[NMK],A)\*([0-9A-F]{2})\r\n$)"));
    static const QRegularExpression mwdShape(QStringLiteral(
        R"(^\$(WIMWD,([0-2]\d\d|3[0-5]\d)\.\d,T,,M,\d{1,4}\.\d,N,\d{1,3}\.\d,M)\*([0-9A-F]{2})\r\n$)"));

    QList<QByteArray> sentences{nmeaMwdSentence(direction, speed)};
    for (const SpeedUnit unit :
         {SpeedUnit::Knots, SpeedUnit::MetresPerSecond, SpeedUnit::KilometresPerHour})
        sentences << nmeaMwvSentence(direction, speed, unit);

    for (const QByteArray &sentence : sentences) {
        QVERIFY2(sentence.size() <= NmeaMaxSentenceLength, sentence.constData());
        const QString text = QString::fromLatin1(sentence);
        const QRegularExpressionMatch match
            = (sentence.startsWith("$WIMWD") ? mwdShape : mwvShape).match(text);
        QVERIFY2(match.hasMatch(), sentence.constData());
        int sum = 0;
        for (const QChar c : match.capturedView(1))
            sum ^= c.unicode();
        QCOMPARE(match.captured(3).toInt(nullptr, 16), sum);
    }
}

QTEST_APPLESS_MAIN(tst_NmeaSentence)
#include "tst_nmeasentence.moc"
