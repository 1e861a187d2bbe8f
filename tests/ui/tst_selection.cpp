#include "racescreen.h"

#include <QTest>

// Choosing a runner on the selection bar, and every runner's race.
class TestSelection : public QObject, RaceScreenFixture
{
    Q_OBJECT

    void runToTheFinish()
    {
        strides(80);
        acceptTheName();
        form->Timer1Timer();
        QCOMPARE(form->race.stridePhase, 10);
    }

private slots:
    void init() { openRaceScreen(); }
    void cleanup() { closeRaceScreen(); }

    void barOrder_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("runner");
        QTest::addColumn<QString>("hint");
        QTest::newRow("Image20") << 20 << 0 << "ポルカさん";
        QTest::newRow("Image21") << 21 << 1 << "嘆きの老人";
        QTest::newRow("Image22") << 22 << 4 << "ナギ先生";
        QTest::newRow("Image23") << 23 << 2 << "サスライの剣士";
        QTest::newRow("Image24") << 24 << 3 << "ダイモン ゴロウ";
    }
    void barOrder()
    {
        QFETCH(int, button);
        QFETCH(int, runner);
        QFETCH(QString, hint);
        TImage *images[] = {form->Image20, form->Image21, form->Image22, form->Image23, form->Image24};
        TImage *image = images[button - 20];
        QCOMPARE(image->hint(), hint);
        form->Image19Click();
        QVERIFY(shown(form->Panel5));
        QVERIFY(!shown(form->Panel4));
        emit image->clicked();
        QCOMPARE(form->race.runner, runner);
        QVERIFY(!shown(form->Panel5));
        QVERIFY(shown(form->Panel4));
        for (int r = 0; r < 5; ++r) {
            QCOMPARE(shown(form->frameA(r)), r == runner);
            QVERIFY(!shown(form->frameB(r)));
        }
    }

    void choiceDuringARaceIsIgnoredButTheBarCloses()
    {
        form->Panel1MouseMove();
        form->Image19Click();
        form->Image23Click();
        QCOMPARE(form->race.runner, 0);
        QVERIFY(shown(form->Panel4));
        QVERIFY(!shown(form->Panel5));
        QVERIFY(shown(form->Image2)); // mid-stride, untouched
        QVERIFY(!shown(form->Image8));
    }

    void anotherRunnerAfterAFinish()
    {
        runToTheFinish();
        form->Image21Click();
        QCOMPARE(form->race.runner, 1);
        QVERIFY(!shown(form->Image14));
        QVERIFY(shown(form->Image6));
        QCOMPARE(form->Image6->x(), 24);
        // Frozen until Retry.
        strides(1);
        QCOMPARE(form->Image6->x(), 24);
    }

    void theSameRunnerAfterAFinishStandsAtTheGoal()
    {
        runToTheFinish();
        form->Image20Click();
        QVERIFY(!shown(form->Image14));
        QVERIFY(shown(form->Image1));
        QCOMPARE(form->Image1->x(), 504);
    }

    void theSameRunnerTwiceChangesNothing()
    {
        form->Image22Click();
        form->Image22Click();
        QCOMPARE(form->race.runner, 4);
        QVERIFY(shown(form->Image12));
        QCOMPARE(form->Image12->x(), 24);
        QCOMPARE(form->race.started, 0);
    }

    void everyRunnerRunsHisOwnRace_data()
    {
        QTest::addColumn<int>("runner");
        QTest::addColumn<int>("redStep");
        for (int r = 0; r < 5; ++r)
            QTest::addRow("runner %d", r) << r << (r == 2 ? 5 : 3);
    }
    void everyRunnerRunsHisOwnRace()
    {
        QFETCH(int, runner);
        QFETCH(int, redStep);
        form->race.runner = runner;
        form->Image27Click();
        form->Panel1MouseMove();
        QCOMPARE(form->frameA(runner)->x(), 24 + redStep);
        QCOMPARE(form->frameB(runner)->x(), 24 + redStep);
        QVERIFY(shown(form->frameB(runner)));
        form->Panel2MouseMove();
        QCOMPARE(form->frameA(runner)->x(), 30);
        strides(79);
        QCOMPARE(form->frameA(runner)->x(), 504);
        acceptTheName();
        form->Timer1Timer();
        QCOMPARE(form->race.stridePhase, 10);
        for (int r = 0; r < 5; ++r)
            QCOMPARE(shown(form->goalPose(r)), r == runner);
        QCOMPARE(form->goalPose(runner)->x(), 504);
        QVERIFY(!shown(form->frameA(runner)));
    }
};

QTEST_MAIN(TestSelection)
#include "tst_selection.moc"
