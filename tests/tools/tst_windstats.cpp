// SPDX-License-Identifier: MIT
#include "../core/referencestatistics.h"
#include "../core/samplewalk.h"
#include "core/beaufort.h"
#include "core/utctime.h"
#include "core/windlogrow.h"

#include <QDateTime>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// Six hours across a UTC midnight with irregular intervals, gaps of up to
// 25 minutes (so some periods hold no sample) and calm spells, then an hour
// of wind swinging north and south.
std::vector<WindSample> generatedSamples()
{
    WalkShape shape;
    shape.shortestIntervalMs = 100;
    shape.longestIntervalMs = 2000;
    shape.gapChance = 0.0004;
    shape.longestGapMs = 25 * 60000;
    shape.calmChance = 0.0003;
    shape.largestTurnDegrees = 40;
    const qint64 start
        = QDateTime(QDate(2026, 12, 7), QTime(21, 0), Qt::UTC).toMSecsSinceEpoch() + 137;
    std::vector<WindSample> samples = randomWalk(12, start, 6 * 3600000LL, shape);
    // Then an hour of wind that swings between north and south: its mean
    // unit vector is too short for a direction.
    const qint64 swingStart = samples.back().timeMs + 1000;
    for (qint64 i = 0; i < 3600; ++i)
        samples.push_back({swingStart + i * 1000, i % 2 == 0 ? 0.0 : 180.0, 5});
    // Now and then two rows share a millisecond, as the sentences of one UDP
    // datagram do. Each pair starts at an odd row, so that the file of odd
    // rows, named first, gives the pair in its order.
    for (std::size_t i = 501; i + 1 < samples.size(); i += 1000)
        samples[i + 1].timeMs = samples[i].timeMs;
    // The values as the log writes them, so that the direct computation
    // starts from what wind-stats reads.
    for (WindSample &sample : samples) {
        const std::optional<WindLogRow> logged
            = parseWindLogRow(formatWindLogRow({sample.timeMs, sample.directionDegrees,
                                                sample.speedMetresPerSecond, exampleModeSource()}));
        sample.directionDegrees = logged->directionDegrees;
        sample.speedMetresPerSecond = logged->speedMetresPerSecond;
    }
    return samples;
}

QByteArray fixed(double value, int decimals)
{
    return QByteArray::number(value, 'f', decimals);
}

// The rows wind-stats should write, from the direct computation.
QByteArrayList expectedRows(const std::vector<WindSample> &samples, qint64 periodMs)
{
    QByteArrayList rows{"period_end_utc,samples,coverage_percent,mean_speed_ms,"
                        "mean_direction_deg,gust_ms,beaufort"};
    const qint64 first = samples.front().timeMs / periodMs * periodMs;
    for (qint64 start = first; start <= samples.back().timeMs; start += periodMs) {
        const ReferencePeriod period = referencePeriod(samples, start, start + periodMs);
        if (period.sampleCount == 0)
            continue;
        QByteArray direction = period.calm ? "calm" : "";
        if (period.meanDirection) {
            direction = fixed(*period.meanDirection, 2);
            if (direction == "360.00")
                direction = "0.00";
        }
        rows.append(QDateTime::fromMSecsSinceEpoch(start + periodMs, Qt::UTC)
                        .toString(Qt::ISODateWithMs)
                        .toLatin1()
                    + ',' + QByteArray::number(period.sampleCount) + ','
                    + fixed(period.coveredMs * 100.0 / periodMs, 2) + ','
                    + fixed(period.meanSpeed, 2) + ',' + direction + ',' + fixed(*period.gust, 2)
                    + ',' + fixed(kmhToBeaufort(period.meanSpeed * 3.6), 1));
    }
    return rows;
}

// The rose counted straight from its definition, without the core's rules:
// [sector][force], force 0 being calm.
using RoseCounts = std::array<std::array<qint64, 13>, 16>;

RoseCounts independentRose(const std::vector<WindSample> &samples)
{
    const double limits[] = {0.5, 1.6, 3.4, 5.5, 8.0, 10.8, 13.9, 17.2, 20.8, 24.5, 28.5, 32.7};
    RoseCounts counts{};
    for (const WindSample &sample : samples) {
        const int force = int(
            std::upper_bound(std::begin(limits), std::end(limits), sample.speedMetresPerSecond)
            - std::begin(limits));
        const int sector
            = int(std::floor(std::fmod(sample.directionDegrees + 11.25, 360.0) / 22.5));
        ++counts[force == 0 ? 0 : sector][force];
    }
    return counts;
}

QByteArrayList expectedRose(const std::vector<WindSample> &samples)
{
    const RoseCounts counts = independentRose(samples);
    const qint64 total = qint64(samples.size());
    const auto share = [total](qint64 count) {
        return ',' + fixed(total > 0 ? count * 100.0 / total : 0.0, 2);
    };
    QByteArrayList rows{"sector,samples,percent,f1,f2,f3,f4,f5,f6,f7,f8,f9,f10,f11,f12"};
    const char *names[] = {"N", "NNE", "NE", "ENE", "E", "ESE", "SE", "SSE",
                           "S", "SSW", "SW", "WSW", "W", "WNW", "NW", "NNW"};
    qint64 calm = 0;
    for (int sector = 0; sector < 16; ++sector) {
        calm += counts[sector][0];
        qint64 inSector = 0;
        QByteArray forces;
        for (int force = 1; force <= 12; ++force) {
            inSector += counts[sector][force];
            forces += share(counts[sector][force]);
        }
        rows.append(names[sector] + (',' + QByteArray::number(inSector)) + share(inSector)
                    + forces);
    }
    rows.append("calm," + QByteArray::number(calm) + share(calm) + QByteArray(12, ','));
    return rows;
}

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Run windStats(const QStringList &arguments, const QByteArray &input = {})
{
    QProcess process;
    process.start(QStringLiteral(WIND_STATS_EXE), arguments);
    process.write(input);
    process.closeWriteChannel();
    Run run;
    if (!process.waitForFinished(60000))
        return run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

} // namespace

class tst_WindStats : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void periodsMatchTheDirectComputation_data();
    void periodsMatchTheDirectComputation();
    void absurdRowsAreSkippedAlone_data();
    void absurdRowsAreSkippedAlone();
    void wrongUse_data();
    void wrongUse();
    void roseMatchesAnIndependentCount();
    void rosePictureIsSvg();
    void metarWindOfEachPeriod();

private:
    void writeLog(const QString &first, const QString &second,
                  bool (*inFirst)(std::size_t, qint64));

    QTemporaryDir m_folder;
    std::vector<WindSample> m_samples;
    QString m_firstDay;
    QString m_secondDay;
    // The same rows dealt alternately into two files whose times overlap.
    QString m_evenRows;
    QString m_oddRows;
};

// Two files as the log writes them, plus one bad row after the 101st row of
// the first and a row torn by a crash at the end of the second.
void tst_WindStats::writeLog(const QString &first, const QString &second,
                             bool (*inFirst)(std::size_t, qint64))
{
    QByteArray texts[2] = {QByteArray(windLogHeader) + '\n', QByteArray(windLogHeader) + '\n'};
    int firstRows = 0;
    for (std::size_t i = 0; i < m_samples.size(); ++i) {
        const WindSample &sample = m_samples[i];
        const bool toFirst = inFirst(i, sample.timeMs);
        texts[toFirst ? 0 : 1]
            += formatWindLogRow({sample.timeMs, sample.directionDegrees,
                                 sample.speedMetresPerSecond, exampleModeSource()})
            + '\n';
        if (toFirst && ++firstRows == 101)
            texts[0] += "2026-12-07T21:00:30.000Z,12;5,3,COM3\n";
    }
    texts[1] += "2026-12-08T03:00:00.000Z,355.5,12.2";
    for (const auto &[path, text] : {std::pair{first, texts[0]}, {second, texts[1]}}) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(text), text.size());
    }
}

void tst_WindStats::initTestCase()
{
    QVERIFY(m_folder.isValid());
    m_samples = generatedSamples();
    m_firstDay = m_folder.filePath(QStringLiteral("wind-2026-12-07.csv"));
    m_secondDay = m_folder.filePath(QStringLiteral("wind-2026-12-08.csv"));
    writeLog(m_firstDay, m_secondDay, [](std::size_t, qint64 timeMs) {
        return utcDayNumber(timeMs) < utcDayNumberOf(QDate(2026, 12, 8));
    });
    m_evenRows = m_folder.filePath(QStringLiteral("even.csv"));
    m_oddRows = m_folder.filePath(QStringLiteral("odd.csv"));
    writeLog(m_evenRows, m_oddRows, [](std::size_t i, qint64) { return i % 2 == 0; });
}

void tst_WindStats::periodsMatchTheDirectComputation_data()
{
    QTest::addColumn<int>("minutes");
    QTest::addColumn<QString>("input");
    QTest::addColumn<bool>("calmPeriods");
    QTest::addColumn<bool>("emptyPeriods");

    QTest::newRow("10-minute periods from day files given out of order")
        << 10 << "days" << true << true;
    QTest::newRow("2-minute periods from standard input") << 2 << "-" << true << true;
    QTest::newRow("hours from day files") << 60 << "days" << false << false;
    QTest::newRow("10-minute periods from files that overlap in time")
        << 10 << "overlapping" << true << true;
}

void tst_WindStats::periodsMatchTheDirectComputation()
{
    QFETCH(int, minutes);
    QFETCH(QString, input);
    QFETCH(bool, calmPeriods);
    QFETCH(bool, emptyPeriods);

    QStringList arguments;
    if (minutes != 10)
        arguments << QStringLiteral("--period") << QString::number(minutes);
    QByteArray standardInput;
    QString firstFile = m_firstDay;
    if (input == QLatin1String("-")) {
        for (const QString &path : {m_firstDay, m_secondDay}) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            // The torn row ends the input, as it ended its file.
            standardInput += file.readAll();
        }
        firstFile = QStringLiteral("standard input");
    } else if (input == QLatin1String("days")) {
        arguments << m_secondDay << m_firstDay;
    } else {
        arguments << m_oddRows << m_evenRows;
        firstFile = m_evenRows;
    }

    const Run run = windStats(arguments, standardInput);
    QCOMPARE(run.exitCode, 0);
    const QByteArrayList rows = run.out.trimmed().split('\n');
    const QByteArrayList expected = expectedRows(m_samples, minutes * 60000LL);
    // The data must hold what the row claims to test.
    const QByteArray all = expected.join('\n');
    QCOMPARE(all.contains(",calm,"), calmPeriods);
    QVERIFY(all.contains(",,"));
    const qint64 periodMs = minutes * 60000LL;
    const qint64 spanned
        = m_samples.back().timeMs / periodMs - m_samples.front().timeMs / periodMs + 1;
    QCOMPARE(expected.size() - 1 < spanned, emptyPeriods);
    for (int i = 0; i < std::min(rows.size(), expected.size()); ++i)
        QCOMPARE(rows[i], expected[i]);
    QCOMPARE(rows.size(), expected.size());

    QVERIFY2(run.err.contains("2 malformed rows"), run.err);
    QVERIFY2(run.err.contains(firstFile.toUtf8() + ":103: "), run.err);
}

void tst_WindStats::absurdRowsAreSkippedAlone_data()
{
    QTest::addColumn<QByteArray>("rows");
    QTest::addColumn<int>("malformed");
    QTest::addColumn<QByteArray>("problem");

    const QByteArray time("2026-12-07T10:00:09.500Z");
    QTest::newRow("a row dated in the year 9999 and a speed of 1e308")
        << "9999-12-31T23:55:00.000Z,10,5,COM3\n" + time + ",10,"
            + QByteArray::number(1e308, 'f', 0) + ",COM3\n"
        << 2 << QByteArray(":12: the time lies outside the years 1970 to 2200");
    QTest::newRow("a row dated before 1970")
        << QByteArray("1969-12-31T23:59:59.999Z,10,5,COM3\n") << 1 << QByteArray(":12: the time");
    QTest::newRow("a speed just above 999.9") << time + ",10,999.9000000000001,COM3\n"
                                              << 1 << QByteArray(":12: the speed");
    QTest::newRow("a row earlier than a row above it")
        << QByteArray("2026-12-07T10:00:05.000Z,10,5,COM3\n") << 1
        << QByteArray(":12: out of time order");
    // A number that reads, but a line no row can be.
    QTest::newRow("a line longer than any row") << time + ",10," + QByteArray(5000, '0')
            + "5,COM3\n" << 1 << QByteArray(":12: longer than 4096 bytes");
}

// The rows go after the tenth sample of a 30-minute log at 1 Hz; the other
// rows' periods come out as they do without them.
void tst_WindStats::absurdRowsAreSkippedAlone()
{
    QFETCH(QByteArray, rows);
    QFETCH(int, malformed);
    QFETCH(QByteArray, problem);

    QByteArray clean = QByteArray(windLogHeader) + '\n';
    QByteArray spoilt = clean;
    const qint64 start = QDateTime(QDate(2026, 12, 7), QTime(10, 0), Qt::UTC).toMSecsSinceEpoch();
    for (int i = 0; i < 1800; ++i) {
        // Every kind of source the log writes, read alike.
        const QString sources[]
            = {exampleModeSource(), serialPortSource(3), tcpInputSource(), udpInputSource()};
        const QByteArray row
            = formatWindLogRow({start + i * 1000, 200.0 + i % 20, 4.0 + i % 7, sources[i % 4]})
            + '\n';
        clean += row;
        spoilt += row;
        if (i == 9)
            spoilt += rows;
    }
    const Run expected = windStats({}, clean);
    QCOMPARE(expected.out.count('\n'), 4);
    QCOMPARE(expected.err, QByteArray());
    const Run run = windStats({}, spoilt);
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, expected.out);
    QVERIFY2(run.err.contains(QByteArray::number(malformed) + " malformed rows"), run.err);
    QVERIFY2(run.err.contains("standard input" + problem), run.err);
}

void tst_WindStats::wrongUse_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<int>("rows");

    QTest::newRow("a period that does not divide a day") << QStringList{"--period", "7"} << 2 << 0;
    QTest::newRow("no period at all") << QStringList{"--period", "0"} << 2 << 0;
    QTest::newRow("a missing file fails the run after the others are read")
        << QStringList{"no-such-file.csv"} << 1 << 1;
    QTest::newRow("a rose has no periods") << QStringList{"--rose", "--period", "10"} << 2 << 0;
    QTest::newRow("a rose or METAR groups, not both")
        << QStringList{"--metar", "--rose-svg", "rose.svg"} << 2 << 0;
    QTest::newRow("a picture that cannot be written stops the run at once")
        << QStringList{"--rose-svg", "/no-such-folder/rose.svg"} << 1 << 0;
}

void tst_WindStats::wrongUse()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(int, rows);

    arguments.append(m_firstDay);
    const Run run = windStats(arguments);
    QCOMPARE(run.exitCode, exitCode);
    // The header and the rows of the file that could be read.
    QCOMPARE(run.out.count('\n') > rows, rows > 0);
    QVERIFY(!run.err.isEmpty());
}

void tst_WindStats::roseMatchesAnIndependentCount()
{
    const Run run = windStats({QStringLiteral("--rose"), m_secondDay, m_firstDay});
    QCOMPARE(run.exitCode, 0);
    const QByteArrayList expected = expectedRose(m_samples);
    // The data must hold what the row claims to test.
    QVERIFY(!expected.last().startsWith("calm,0,"));
    QCOMPARE(run.out.trimmed().split('\n'), expected);
    QVERIFY2(run.err.contains("2 malformed rows"), run.err);

    // No samples at all: every row, each with nothing in it.
    const Run empty = windStats({QStringLiteral("--rose")}, QByteArray(windLogHeader) + '\n');
    QCOMPARE(empty.exitCode, 0);
    QCOMPARE(empty.out.trimmed().split('\n'), expectedRose({}));
}

void tst_WindStats::rosePictureIsSvg()
{
    const QString path = m_folder.filePath(QStringLiteral("rose.svg"));
    const Run run = windStats({QStringLiteral("--rose-svg"), path, m_firstDay, m_secondDay});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, QByteArray());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));

    QXmlStreamReader svg(&file);
    QVERIFY(svg.readNextStartElement());
    QCOMPARE(svg.name(), QLatin1String("svg"));
    QCOMPARE(svg.namespaceUri(), QLatin1String("http://www.w3.org/2000/svg"));
    int pieces = 0;
    QStringList texts;
    while (!svg.atEnd()) {
        svg.readNext();
        if (svg.isStartElement() && svg.name() == QLatin1String("path"))
            ++pieces;
        if (svg.isStartElement() && svg.name() == QLatin1String("text"))
            texts.append(svg.readElementText());
    }
    QVERIFY2(!svg.hasError(), qPrintable(svg.errorString()));

    // A piece of wedge for every sector and force that holds samples.
    const RoseCounts counts = independentRose(m_samples);
    int cells = 0;
    for (const auto &sector : counts)
        cells
            += int(std::count_if(sector.begin() + 1, sector.end(), [](qint64 n) { return n > 0; }));
    QCOMPARE(pieces, cells);
    for (const char *name : {"N", "ENE", "SSW", "NNW", "calm"})
        QVERIFY2(texts.contains(QLatin1String(name)), name);
    const QString span = QStringLiteral("2026-12-07 21:00:00 to 2026-12-08 %1 UTC, %2 samples")
                             .arg(QDateTime::fromMSecsSinceEpoch(m_samples.back().timeMs, Qt::UTC)
                                      .toString(QStringLiteral("HH:mm:ss")))
                             .arg(m_samples.size());
    QVERIFY2(texts.contains(span), qPrintable(texts.join(u'|')));
}

// Three hand-worked 10-minute periods at 1 Hz: a steady west wind of
// 15 knots (7.72 m/s); the same from 240 and 300 in turn with three seconds
// at 15 m/s in the middle; calm.
void tst_WindStats::metarWindOfEachPeriod()
{
    QByteArray log = QByteArray(windLogHeader) + '\n';
    const qint64 start = QDateTime(QDate(2026, 12, 7), QTime(10, 0), Qt::UTC).toMSecsSinceEpoch();
    for (int i = 0; i < 1800; ++i) {
        const int period = i / 600;
        double direction = period == 0 ? 270 : period == 1 ? (i % 2 == 0 ? 240 : 300) : 90;
        double speed = period == 2 ? 0.1 : 7.72;
        if (i >= 900 && i < 903)
            speed = 15;
        log += formatWindLogRow({start + i * 1000, direction, speed, serialPortSource(3)}) + '\n';
    }
    const Run run = windStats({QStringLiteral("--metar")}, log);
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.err, QByteArray());
    QCOMPARE(run.out,
             QByteArray("period_end_utc,coverage_percent,wind\n"
                        "2026-12-07T10:10:00.000Z,100.00,27015KT\n"
                        "2026-12-07T10:20:00.000Z,100.00,27015G29KT 240V300\n"
                        "2026-12-07T10:30:00.000Z,99.83,00000KT\n"));
}

QTEST_GUILESS_MAIN(tst_WindStats)

#include "tst_windstats.moc"
