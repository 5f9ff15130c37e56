// SPDX-License-Identifier: MIT
// The feed's own rules, with no window: which readings are shown and which
// are shared, the stale rule of each value, the corrections and the choice
// of wind. Its states are tested through the buttons that set them, in the
// window's listening tests.

#include "../sensorframes.h"
#include "feedfixture.h"

#include "core/nmeafields.h"
#include "core/nmeasentence.h"

#include <QSignalSpy>

#include <cmath>

using Frames = QList<QByteArray>;

class tst_WindFeed : public QObject
{
    Q_OBJECT

private slots:
    void onlyCompleteReadingsAreShared_data();
    void onlyCompleteReadingsAreShared();
    void eachValueGoesStaleOnItsOwn();
    void correctionsApplyToTheLiveInputOnly_data();
    void correctionsApplyToTheLiveInputOnly();
    void trueWindFromTheBoatsMotion();
    void aRestartedServerIsChosenFromAfresh();
};

void tst_WindFeed::onlyCompleteReadingsAreShared_data()
{
    QTest::addColumn<Frames>("payloads");
    QTest::addColumn<int>("shown");
    QTest::addColumn<int>("shared");
    QTest::addColumn<int>("rejected");
    QTest::addColumn<double>("direction");
    QTest::addColumn<double>("speed");

    QTest::newRow("speed left empty: direction shown, nothing shared")
        << Frames{"Q,090,005.00,M,00,", "Q,120,,M,00,", "Q,150,,M,00,"} << 3 << 1 << 0 << 150.0
        << 5.0;
    QTest::newRow("direction not a number")
        << Frames{"Q,090,005.00,M,00,", "Q,-,007.00,M,00,"} << 2 << 1 << 0 << 90.0 << 7.0;
    QTest::newRow("speed beyond any wind: rejected")
        << Frames{"Q,090,005.00,M,00,", "Q,090,9999.99,M,00,"} << 1 << 1 << 1 << 90.0 << 5.0;
}

// The display keeps the old value of a field that did not read; a value
// nobody measured is never recorded or shared.
void tst_WindFeed::onlyCompleteReadingsAreShared()
{
    QFETCH(Frames, payloads);
    QFETCH(int, shown);
    QFETCH(int, shared);
    QFETCH(int, rejected);
    QFETCH(double, direction);
    QFETCH(double, speed);
    FeedFixture fixture;
    fixture.start();
    QSignalSpy shownSpy(fixture.feed.get(), &WindFeed::readingShown);
    QSignalSpy sharedSpy(fixture.feed.get(), &WindFeed::sampleAccepted);
    QSignalSpy rejectedSpy(fixture.feed.get(), &WindFeed::frameRejected);
    QList<std::function<void()>> steps;
    for (const QByteArray &payload : payloads)
        steps << [&fixture, payload] {
            fixture.line->feed(sensorFrame(payload));
        };
    fixture.listenWhile(steps);
    QCOMPARE(shownSpy.size(), shown);
    QCOMPARE(sharedSpy.size(), shared);
    QCOMPARE(rejectedSpy.size(), rejected);
    QCOMPARE(fixture.feed->directionDegrees(), direction);
    QCOMPARE(fixture.feed->speedMetresPerSecond(), speed);
}

// Frames that carry only a direction keep the direction fresh while the
// speed, and the readings the outputs go by, turn old; a complete frame
// makes all fresh again.
void tst_WindFeed::eachValueGoesStaleOnItsOwn()
{
    FeedFixture fixture;
    fixture.start();
    fixture.setStaleAfterMs(300);
    fixture.listenWhile({[&] {
        fixture.line->feed(sensorFrame("Q,090,005.00,M,00,"));
    }});
    for (int i = 0; i < 8; ++i) {
        QTest::qWait(60);
        fixture.line->feed(sensorFrame("Q,100,,M,00,"));
    }
    QTRY_VERIFY(fixture.feed->staleness().speed);
    QVERIFY(fixture.feed->staleness().readings);
    QVERIFY(!fixture.feed->staleness().direction);

    fixture.line->feed(sensorFrame("Q,110,006.00,M,00,"));
    QTRY_COMPARE(fixture.feed->staleness(), WindStaleness());
    QTRY_VERIFY(fixture.feed->staleness().direction);
    QVERIFY(fixture.feed->staleness().speed);
}

void tst_WindFeed::correctionsApplyToTheLiveInputOnly_data()
{
    QTest::addColumn<double>("offset");
    QTest::addColumn<double>("factor");
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<double>("direction");
    QTest::addColumn<double>("speed");

    QTest::newRow("vane off north, cups reading low")
        << -10.0 << 1.1 << QByteArray("A,45,10.00") << 35.0 << 11.0;
    QTest::newRow("factor takes the speed beyond any wind: rejected")
        << 0.0 << 2.0 << QByteArray("A,45,600") << 0.0 << 0.0;
}

void tst_WindFeed::correctionsApplyToTheLiveInputOnly()
{
    QFETCH(double, offset);
    QFETCH(double, factor);
    QFETCH(QByteArray, payload);
    QFETCH(double, direction);
    QFETCH(double, speed);
    FeedFixture fixture;
    fixture.start();
    fixture.feed->setCorrections({offset, factor});
    QSignalSpy shared(fixture.feed.get(), &WindFeed::sampleAccepted);
    fixture.listenWhile({[&] {
        fixture.line->feed(sensorFrame(payload));
    }});
    QCOMPARE(fixture.feed->directionDegrees(), direction);
    QCOMPARE(fixture.feed->speedMetresPerSecond(), speed);

    // Example mode's made-up wind is never corrected.
    fixture.feed->restore(45, 10, 1, false);
    fixture.feed->toggleExampleMode();
    shared.clear();
    fixture.exampleTick();
    QCOMPARE(shared.size(), 1);
    const WindSample step = shared.at(0).at(0).value<WindFeedReading>().sample;
    QVERIFY(std::abs(step.directionDegrees - 45) <= 20);
    QVERIFY(std::abs(step.speedMetresPerSecond - 10) <= 2);
}

// An NMEA input read for the true wind: apparent wind with the speed through
// the water and the true heading becomes the true wind from north, after the
// vane's offset turned the apparent wind. 5 kn through the water, heading
// 090, 10 kn at 45 degrees off the bow once corrected: x = 10 cos 45 - 5,
// y = 10 sin 45.
void tst_WindFeed::trueWindFromTheBoatsMotion()
{
    FeedFixture fixture({}, {}, FeedFixture::Protocol::NmeaTrueWind);
    fixture.start();
    fixture.feed->setCorrections({10, 1});
    QSignalSpy shared(fixture.feed.get(), &WindFeed::sampleAccepted);
    fixture.listenWhile({[&] {
        fixture.line->feed(nmeaSentence("IIVHW,,T,,M,5.0,N,,K") + nmeaSentence("IIHDT,090.0,T")
                           + nmeaSentence("IIMWV,035.0,R,10.0,N,A"));
    }});
    QCOMPARE(shared.size(), 1);
    const auto reading = shared.at(0).at(0).value<WindFeedReading>();
    QCOMPARE(reading.kind, WindKind::TrueFromNorth);
    QVERIFY(std::abs(reading.sample.directionDegrees - 163.6749) < 1e-3);
    QVERIFY(std::abs(*reading.angleOffBowDegrees - 73.6749) < 1e-3);
    QVERIFY(std::abs(reading.sample.speedMetresPerSecond / NmeaMetresPerSecondPerKnot - 7.3681)
            < 1e-3);
    QVERIFY(fixture.feed->windDescription().contains(QStringLiteral("HDT")));
}

// MWD wins over MWV T for 5 s; a server that went away and came back is a
// new stream, whose MWV T counts at once.
void tst_WindFeed::aRestartedServerIsChosenFromAfresh()
{
    FeedFixture fixture({}, {}, FeedFixture::Protocol::NmeaTrueWind);
    fixture.start();
    fixture.line->setReconnect(true);
    QSignalSpy shared(fixture.feed.get(), &WindFeed::sampleAccepted);
    const QByteArray trueMwv = nmeaSentence("IIMWV,010.0,T,5.0,M,A");
    fixture.listenWhile({
        [&] { fixture.line->feed(nmeaSentence("WIMWD,270.0,T,,M,,N,6.0,M") + trueMwv); },
        [&] { fixture.line->pullCable(QStringLiteral("server restarted")); },
        [&] {
            fixture.line->plugCable();
            fixture.line->feed(trueMwv);
        },
    });
    QCOMPARE(shared.size(), 2);
    QCOMPARE(shared.at(0).at(0).value<WindFeedReading>().sample.directionDegrees, 270.0);
    QCOMPARE(shared.at(1).at(0).value<WindFeedReading>().kind, WindKind::TrueOffBow);
}

QTEST_GUILESS_MAIN(tst_WindFeed)
#include "tst_windfeed.moc"
