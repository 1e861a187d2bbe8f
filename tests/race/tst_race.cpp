#include "race/race.h"

#include <QTest>

class TestRace : public QObject
{
    Q_OBJECT
private slots:
    void clock_data()
    {
        QTest::addColumn<int>("ticks");
        QTest::addColumn<QString>("caption");
        QTest::newRow("first tick") << 1 << "0.1秒";
        QTest::newRow("ninth tenth") << 9 << "0.9秒";
        QTest::newRow("one second") << 10 << "1.0秒";
        QTest::newRow("twelve point three") << 123 << "12.3秒";
        QTest::newRow("ten seconds") << 100 << "10.0秒";
        QTest::newRow("past a minute") << 1234 << "123.4秒";
    }
    void clock()
    {
        QFETCH(int, ticks);
        QFETCH(QString, caption);
        RaceState race;
        for (int i = 0; i < ticks; ++i)
            advanceClock(race);
        QCOMPARE(race.seconds * 10 + race.tenths, ticks);
        QVERIFY(race.tenths >= 0 && race.tenths <= 9);
        QCOMPARE(QString::fromStdString(clockCaption(race.seconds, race.tenths)), caption);
    }

    // Every runner needs 80 full strides from the start to the first
    // position the clock sees beyond the finish.
    void everyRunnerNeedsEightyStrides()
    {
        for (const Runner &runner : RunnerRoster) {
            int left = StartLeft, strides = 0;
            while (!beyondFinish(left)) {
                left += runner.redStep + runner.blueStep;
                ++strides;
            }
            QCOMPARE(strides, 80);
            QCOMPARE(left, 504);
        }
        QVERIFY(!beyondFinish(500));
        QVERIFY(beyondFinish(501));
    }
};

QTEST_APPLESS_MAIN(TestRace)
#include "tst_race.moc"
