#include "racescreen.h"

#include <QTest>

// Choosing a runner on the selection bar, and every runner's race.
class TestSelection : public QObject, RaceScreenFixture
{
    Q_OBJECT

private slots:
    void init() { openRaceScreen(); }
    void cleanup() { closeRaceScreen(); }

    // The portraits stand on the bar in the order 0, 1, 4, 2, 3; each one
    // chooses its own runner and closes the bar.
    void barOrder_data()
    {
        QTest::addColumn<int>("runner");
        QTest::addColumn<int>("left");
        QTest::addColumn<QString>("hint");
        QTest::newRow("ポルカさん") << 0 << 32 << "ポルカさん";
        QTest::newRow("嘆きの老人") << 1 << 104 << "嘆きの老人";
        QTest::newRow("ナギ先生") << 4 << 176 << "ナギ先生";
        QTest::newRow("サスライの剣士") << 2 << 248 << "サスライの剣士";
        QTest::newRow("ダイモン ゴロウ") << 3 << 320 << "ダイモン ゴロウ";
    }
    void barOrder()
    {
        QFETCH(int, runner);
        QFETCH(int, left);
        QFETCH(QString, hint);
        PictureBox *portrait = window->portrait(runner);
        QCOMPARE(portrait->x(), left);
        QCOMPARE(portrait->hint(), hint);
        window->onRunnerButtonClicked();
        QVERIFY(shown(window->selectionBar()));
        QVERIFY(!shown(window->toolbar()));
        emit portrait->clicked();
        QCOMPARE(race().runner, runner);
        QVERIFY(!shown(window->selectionBar()));
        QVERIFY(shown(window->toolbar()));
        for (int r = 0; r < RunnerCount; ++r) {
            QCOMPARE(shown(window->stanceFrame(r)), r == runner);
            QVERIFY(!shown(window->strideFrame(r)));
        }
    }

    void choiceDuringARaceIsIgnoredButTheBarCloses()
    {
        window->onRedPadMoved();
        window->onRunnerButtonClicked();
        window->onPortraitClicked<2>();
        QCOMPARE(race().runner, 0);
        QVERIFY(shown(window->toolbar()));
        QVERIFY(!shown(window->selectionBar()));
        QVERIFY(shown(window->strideFrame(0))); // mid-stride, untouched
        QVERIFY(!shown(window->stanceFrame(2)));
    }

    void anotherRunnerAfterAFinish()
    {
        runToTheFinish();
        window->onPortraitClicked<1>();
        QCOMPARE(race().runner, 1);
        QVERIFY(!shown(window->goalPose(0)));
        QVERIFY(shown(window->stanceFrame(1)));
        QCOMPARE(window->stanceFrame(1)->x(), StartLeft);
        // Frozen until Retry.
        strides(1);
        QCOMPARE(window->stanceFrame(1)->x(), StartLeft);
    }

    void theSameRunnerAfterAFinishStandsAtTheGoal()
    {
        runToTheFinish();
        window->onPortraitClicked<0>();
        QVERIFY(!shown(window->goalPose(0)));
        QVERIFY(shown(window->stanceFrame(0)));
        QCOMPARE(window->stanceFrame(0)->x(), GoalLeft);
    }

    void theSameRunnerTwiceChangesNothing()
    {
        window->onPortraitClicked<4>();
        window->onPortraitClicked<4>();
        QCOMPARE(race().runner, 4);
        QVERIFY(shown(window->stanceFrame(4)));
        QCOMPARE(window->stanceFrame(4)->x(), StartLeft);
        QVERIFY(!race().started);
    }

    void everyRunnerRunsHisOwnRace_data()
    {
        QTest::addColumn<int>("runner");
        for (int r = 0; r < RunnerCount; ++r)
            QTest::addRow("runner %d", r) << r;
    }
    void everyRunnerRunsHisOwnRace()
    {
        QFETCH(int, runner);
        emit window->portrait(runner)->clicked();
        window->onRedPadMoved();
        const int redStep = RunnerRoster[runner].redStep;
        QCOMPARE(window->stanceFrame(runner)->x(), StartLeft + redStep);
        QCOMPARE(window->strideFrame(runner)->x(), StartLeft + redStep);
        QVERIFY(shown(window->strideFrame(runner)));
        window->onBluePadMoved();
        QCOMPARE(window->stanceFrame(runner)->x(), StartLeft + StrideLength);
        strides(StridesToFinish - 1);
        QCOMPARE(window->stanceFrame(runner)->x(), GoalLeft);
        acceptTheName();
        window->onClockTick();
        QCOMPARE(race().stridePhase, StridePhase::Finished);
        for (int r = 0; r < RunnerCount; ++r)
            QCOMPARE(shown(window->goalPose(r)), r == runner);
        QCOMPARE(window->goalPose(runner)->x(), GoalLeft);
        QVERIFY(!shown(window->stanceFrame(runner)));
    }
};

QTEST_MAIN(TestSelection)
#include "tst_selection.moc"
