#include "race/race.h"

#include <QTest>

class TestRace : public QObject
{
    Q_OBJECT

    // The moments of `count` ticks of the 70 ms timer after `from`, each
    // `jitter` ms off its time.
    static QList<qint64> ticks(int count, qint64 from = 0, int jitter = 0)
    {
        QList<qint64> at;
        for (int i = 1; i <= count; ++i)
            at << from + 70 * i + jitter;
        return at;
    }

private slots:
    void clock_data()
    {
        QTest::addColumn<QList<qint64>>("tickTimes"); // ms after the first stride
        QTest::addColumn<QString>("caption");
        QTest::newRow("first tick") << ticks(1) << "0.1秒";
        QTest::newRow("ninth tenth") << ticks(9) << "0.9秒";
        QTest::newRow("one second") << ticks(10) << "1.0秒";
        QTest::newRow("ten seconds") << ticks(100) << "10.0秒";
        QTest::newRow("past two minutes") << ticks(1234) << "123.4秒";
        // The timer's ticks wander by a millisecond either way, without drift.
        QTest::newRow("every tick a little early") << ticks(123, 0, -1) << "12.3秒";
        QTest::newRow("every tick a little late") << ticks(123, 0, 1) << "12.3秒";
        // After a stall the timer brings one late tick for all it missed.
        QTest::newRow("a stall of 1.5 s") << ticks(10) + ticks(10, 2200) << "4.1秒";
        QTest::newRow("a stall before the first tick") << QList<qint64>{1000, 1070} << "1.5秒";
    }
    void clock()
    {
        QFETCH(QList<qint64>, tickTimes);
        QFETCH(QString, caption);
        RaceState race;
        for (qint64 at : tickTimes) {
            const int before = race.seconds * 10 + race.tenths;
            advanceClock(race, at);
            QVERIFY(race.seconds * 10 + race.tenths > before);
            QVERIFY(race.tenths >= 0 && race.tenths <= 9);
        }
        QCOMPARE(QString("%1.%2秒").arg(race.seconds).arg(race.tenths), caption);
    }

    // Every runner needs the same whole strides from the start to the first
    // position the clock sees beyond the finish, where the goal poses stand.
    void everyRunnerFinishesAtTheGoalPoses()
    {
        for (const Runner &runner : RunnerRoster) {
            int left = StartLeft, strides = 0;
            while (!beyondFinish(left)) {
                left += runner.redStep + runner.blueStep;
                ++strides;
            }
            QCOMPARE(strides, StridesToFinish);
            QCOMPARE(left, GoalLeft);
        }
        QVERIFY(!beyondFinish(FinishLeft));
        QVERIFY(beyondFinish(FinishLeft + 1));
    }

    // The quarters of the way from the start line (24) to the finish line
    // (500) that the race by ear tells: 25m from 143 on, 50m from 262, 75m
    // from 381; the finish is no quarter.
    void quartersRun_data()
    {
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("quarters");
        QTest::newRow("at the start") << StartLeft << 0;
        QTest::newRow("a pixel short of 25m") << 142 << 0;
        QTest::newRow("at 25m") << 143 << 1;
        QTest::newRow("at 50m") << 262 << 2;
        QTest::newRow("a pixel short of 75m") << 380 << 2;
        QTest::newRow("at 75m") << 381 << 3;
        QTest::newRow("at the goal poses") << GoalLeft << 3;
    }
    void quartersRun()
    {
        QFETCH(int, left);
        QFETCH(int, quarters);
        QCOMPARE(::quartersRun(left), quarters);
    }

    // The ticks whose caption a screen reader hears; a time earlier than the
    // one before is the first tick of a new race.
    void clockAnnouncements_data()
    {
        QTest::addColumn<QList<qint64>>("tickTimes");
        QTest::addColumn<QList<qint64>>("heard");
        QTest::newRow("the first tick") << ticks(1) << QList<qint64>{70};
        QTest::newRow("three seconds: once a second") << ticks(43) << QList<qint64>{70, 1120, 2170};
        QTest::newRow("a second after a stall") << QList<qint64>{70, 140, 3000, 3070, 3990, 4060}
                                                << QList<qint64>{70, 3000, 4060};
        QTest::newRow("a new race is heard from its first tick")
            << ticks(16) + ticks(2) << QList<qint64>{70, 1120, 70};
    }
    void clockAnnouncements()
    {
        QFETCH(QList<qint64>, tickTimes);
        QFETCH(QList<qint64>, heard);
        ClockAnnouncements announcements;
        QList<qint64> told;
        qint64 previous = 0;
        for (qint64 at : tickTimes) {
            if (at < previous)
                announcements.restart();
            previous = at;
            if (announcements.dueAt(at))
                told << at;
        }
        QCOMPARE(told, heard);
    }
};

QTEST_APPLESS_MAIN(TestRace)
#include "tst_race.moc"
