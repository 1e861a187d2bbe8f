#include "racescreen.h"

#include <QTest>

// The race as the player runs it: strides on the pads, the clock, the finish
// and Retry.
class TestRaceScreen : public QObject, RaceScreenFixture
{
    Q_OBJECT

private slots:
    void init() { openRaceScreen(); }
    void cleanup() { closeRaceScreen(); }

    void atRest()
    {
        QCOMPARE(form->race.started, 0);
        QVERIFY(!form->Timer1->isActive());
        QCOMPARE(form->Label1->caption(), QString("0.0秒"));
        for (int r = 0; r < 5; ++r) {
            QCOMPARE(shown(form->frameA(r)), r == 0);
            QVERIFY(!shown(form->frameB(r)));
            QVERIFY(!shown(form->goalPose(r)));
            QCOMPARE(form->frameA(r)->x(), 24);
        }
        QCOMPARE(form->Timer1->interval(), 70);
        QCOMPARE(form->Timer1->timerType(), Qt::PreciseTimer);
    }

    void firstRedMoveStartsTheRaceAndHalfAStride()
    {
        form->Panel1MouseMove();
        QCOMPARE(form->race.started, 1);
        QVERIFY(form->Timer1->isActive());
        QCOMPARE(form->race.stridePhase, 1);
        QCOMPARE(form->Image1->x(), 27);
        QCOMPARE(form->Image2->x(), 27);
        QVERIFY(!shown(form->Image1));
        QVERIFY(shown(form->Image2));

        // More moves within the red pad do nothing until the blue pad.
        form->Panel1MouseMove();
        form->Panel1MouseMove();
        QCOMPARE(form->Image1->x(), 27);

        form->Panel2MouseMove();
        QCOMPARE(form->race.stridePhase, 0);
        QCOMPARE(form->Image1->x(), 30);
        QCOMPARE(form->Image2->x(), 30);
        QVERIFY(shown(form->Image1));
        QVERIFY(!shown(form->Image2));
        form->Panel2MouseMove();
        QCOMPARE(form->Image1->x(), 30);
    }

    void blueFirstDoesNothing()
    {
        form->Panel2MouseMove();
        QCOMPARE(form->race.started, 0);
        QVERIFY(!form->Timer1->isActive());
        QCOMPARE(form->Image1->x(), 24);
        QCOMPARE(form->race.stridePhase, 0);
    }

    void clockCountsTicks()
    {
        form->Panel1MouseMove();
        form->Timer1Timer();
        QCOMPARE(form->Label1->caption(), QString("0.1秒"));
        for (int i = 0; i < 9; ++i)
            form->Timer1Timer();
        QCOMPARE(form->Label1->caption(), QString("1.0秒"));
        QCOMPARE(form->race.seconds, 1);
        QCOMPARE(form->race.tenths, 0);
    }

    void labelGrowsToTheRight()
    {
        const QRect before = form->Label1->geometry();
        form->race.seconds = 99;
        form->race.tenths = 9;
        form->Timer1Timer();
        QCOMPARE(form->Label1->caption(), QString("100.0秒"));
        QCOMPARE(form->Label1->pos(), before.topLeft());
        QVERIFY(form->Label1->width() > before.width());
    }

    void finishAfterEightyStrides()
    {
        strides(79);
        form->Panel1MouseMove(); // x 501, but mid-stride
        QCOMPARE(form->Image1->x(), 501);
        form->Timer1Timer();
        QCOMPARE(form->race.stridePhase, 1);
        QVERIFY(form->Timer1->isActive());

        form->Panel2MouseMove();
        QCOMPARE(form->Image1->x(), 504);
        acceptTheName();
        form->Timer1Timer();
        QCOMPARE(form->race.stridePhase, 10);
        QVERIFY(!form->Timer1->isActive());
        QVERIFY(!shown(form->Image1));
        QVERIFY(!shown(form->Image2));
        QVERIFY(shown(form->Image14));
        QCOMPARE(form->Label1->caption(), QString("0.2秒"));

        // Frozen until Retry: neither pad moves, the race does not restart.
        strides(1);
        QCOMPARE(form->Image1->x(), 504);
        QCOMPARE(form->race.started, 1);
        QVERIFY(!form->Timer1->isActive());
    }

    void exactlyFiveHundredHasNotFinished()
    {
        form->Panel1MouseMove();
        form->Image1->move(500, 128);
        form->race.stridePhase = 0;
        form->Timer1Timer();
        QCOMPARE(form->race.stridePhase, 0);
        form->Image1->move(501, 128);
        acceptTheName();
        form->Timer1Timer();
        QCOMPARE(form->race.stridePhase, 10);
    }

    // The tick looks at positions, not at the selected runner.
    void finishTestsEveryRunnersFrame()
    {
        form->Panel1MouseMove();
        form->Panel2MouseMove();
        form->Image8->move(510, 128); // runner 2's frame A
        acceptTheName();
        form->Timer1Timer();
        QCOMPARE(form->race.stridePhase, 10);
        QVERIFY(shown(form->Image18));
        QVERIFY(!shown(form->Image14));
    }

    void retryMidStride()
    {
        strides(5);
        form->Panel1MouseMove();
        form->Timer1Timer();
        form->Image27Click();
        QCOMPARE(form->race.started, 0);
        QCOMPARE(form->race.stridePhase, 0);
        QCOMPARE(form->race.seconds, 0);
        QCOMPARE(form->race.tenths, 0);
        QVERIFY(!form->Timer1->isActive());
        QCOMPARE(form->Label1->caption(), QString("0.0秒"));
        for (int r = 0; r < 5; ++r) {
            QCOMPARE(form->frameA(r)->x(), 24);
            QCOMPARE(form->frameB(r)->x(), 24);
        }
        QVERIFY(shown(form->Image1));
        QVERIFY(!shown(form->Image2));

        // The next red move starts a new race from nothing.
        form->Panel1MouseMove();
        QCOMPARE(form->race.started, 1);
        QVERIFY(form->Timer1->isActive());
        form->Timer1Timer();
        QCOMPARE(form->Label1->caption(), QString("0.1秒"));
    }

    void retryAfterFinishKeepsRunnerAndScore()
    {
        form->race.runner = 0;
        form->race.score = 123;
        strides(80);
        acceptTheName();
        form->Timer1Timer();
        QCOMPARE(form->race.stridePhase, 10);
        form->Image27Click();
        QVERIFY(!shown(form->Image14));
        QVERIFY(shown(form->Image1));
        QCOMPARE(form->Image1->x(), 24);
        QCOMPARE(form->race.runner, 0);
    }

    // Pressing the button over the red pad holds the pointer there: the
    // blue pad sees nothing until the button is released.
    void buttonHeldOverRedPadCapturesThePointer()
    {
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        const QPoint red = form->Panel1->rect().center();
        const QPoint blue = form->Panel1->mapFromGlobal(form->Panel2->mapToGlobal(form->Panel2->rect().center()));
        QTest::mouseMove(form->Panel1, red);
        QCOMPARE(form->Image1->x(), 27);
        QTest::mousePress(form->Panel1, Qt::LeftButton, {}, red);
        QTest::mouseMove(form->Panel1, blue);
        QTest::mouseMove(form->Panel1, red);
        QTest::mouseMove(form->Panel1, blue);
        QCOMPARE(form->Image1->x(), 27);
        QCOMPARE(form->race.stridePhase, 1);
        QTest::mouseRelease(form->Panel1, Qt::LeftButton, {}, blue);
        QTest::mouseMove(form->Panel2, form->Panel2->rect().center() + QPoint(1, 0));
        QCOMPARE(form->race.stridePhase, 0);
        QCOMPARE(form->Image1->x(), 30);
    }

    // The exit button ends the event loop, and the window stays for the
    // program to take down; a loop that never ends is caught by the guard.
    void exitButtonEndsTheProgram()
    {
        form->show();
        QTimer::singleShot(0, form.get(), [this] { form->Image26Click(); });
        QTimer::singleShot(5000, [] { QCoreApplication::exit(1); });
        QCOMPARE(QCoreApplication::exec(), 0);
        QVERIFY(form->isVisible());
    }
};

QTEST_MAIN(TestRaceScreen)
#include "tst_racescreen.moc"
