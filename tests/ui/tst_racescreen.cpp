#include "folderlockholder.h"
#include "paintcounter.h"
#include "racescreen.h"

#include "ranking/insertion.h"
#include "ui/accessibility.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "ranking/insertion.h"

// The race as the player runs it: strides on the pads, the clock, the finish
// and Retry; and what happens when one of them fails.
class TestRaceScreen : public QObject, RaceScreenFixture
{
    Q_OBJECT

    // Where runner 0 stands after his first half-stride and his first stride.
    static constexpr int AfterRedPad = StartLeft + RunnerRoster[0].redStep;
    static constexpr int AfterStride = StartLeft + StrideLength;

private slots:
    void init() { openRaceScreen(); }
    void cleanup() { closeRaceScreen(); }

    void atRest()
    {
        QVERIFY(!race().started);
        QVERIFY(!window->clockRunning());
        QCOMPARE(window->clockLabel()->text(), QString("0.0秒"));
        for (int r = 0; r < RunnerCount; ++r) {
            QCOMPARE(shown(window->stanceFrame(r)), r == 0);
            QVERIFY(!shown(window->strideFrame(r)));
            QVERIFY(!shown(window->goalPose(r)));
            QCOMPARE(window->stanceFrame(r)->x(), StartLeft);
        }
    }

    void firstRedMoveStartsTheRaceAndHalfAStride()
    {
        window->onRedPadMoved();
        QVERIFY(race().started);
        QVERIFY(window->clockRunning());
        QCOMPARE(race().stridePhase, StridePhase::BluePadExpected);
        QCOMPARE(window->stanceFrame(0)->x(), AfterRedPad);
        QCOMPARE(window->strideFrame(0)->x(), AfterRedPad);
        QVERIFY(!shown(window->stanceFrame(0)));
        QVERIFY(shown(window->strideFrame(0)));

        // More moves within the red pad do nothing until the blue pad.
        window->onRedPadMoved();
        window->onRedPadMoved();
        QCOMPARE(window->stanceFrame(0)->x(), AfterRedPad);

        window->onBluePadMoved();
        QCOMPARE(race().stridePhase, StridePhase::RedPadExpected);
        QCOMPARE(window->stanceFrame(0)->x(), AfterStride);
        QCOMPARE(window->strideFrame(0)->x(), AfterStride);
        QVERIFY(shown(window->stanceFrame(0)));
        QVERIFY(!shown(window->strideFrame(0)));
        window->onBluePadMoved();
        QCOMPARE(window->stanceFrame(0)->x(), AfterStride);
    }

    // A stride repaints the track strip and the runner around him, nothing
    // else: counted in paint events and pixels, which no machine's load moves.
    void aStrideRepaintsOnlyAroundTheRunner()
    {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        strides(1);
        QCoreApplication::processEvents();
        PaintCounter counter;
        qApp->installEventFilter(&counter);
        constexpr int count = 10;
        for (int i = 0; i < count; ++i) {
            strides(1);
            QCoreApplication::processEvents();
        }
        qApp->removeEventFilter(&counter);
        const QSize frame = window->stanceFrame(0)->size();
        QCOMPARE(counter.events, 2L * count);
        QVERIFY2(counter.pixels <= 2L * count * (frame.width() + StrideLength) * frame.height(),
                 qPrintable(QString::number(counter.pixels / count) + " pixels a stride"));
    }

    void blueFirstDoesNothing()
    {
        window->onBluePadMoved();
        QVERIFY(!race().started);
        QVERIFY(!window->clockRunning());
        QCOMPARE(window->stanceFrame(0)->x(), StartLeft);
        QCOMPARE(race().stridePhase, StridePhase::RedPadExpected);
    }

    void clockCountsTicks()
    {
        window->onRedPadMoved();
        clock->tickAt(70);
        QCOMPARE(window->clockLabel()->text(), QString("0.1秒"));
        for (int tick = 2; tick <= 10; ++tick)
            clock->tickAt(70 * tick);
        QCOMPARE(window->clockLabel()->text(), QString("1.0秒"));
        QCOMPARE(race().seconds, 1);
        QCOMPARE(race().tenths, 0);
    }

    void labelGrowsToTheRight()
    {
        const QRect before = window->clockLabel()->geometry();
        window->onRedPadMoved();
        clock->tickAt(1000 * 70);
        QCOMPARE(window->clockLabel()->text(), QString("100.0秒"));
        QCOMPARE(window->clockLabel()->pos(), before.topLeft());
        QVERIFY(window->clockLabel()->width() > before.width());
    }

    void finishAfterWholeStrides()
    {
        strides(StridesToFinish - 1);
        window->onRedPadMoved(); // beyond the finish, but mid-stride
        QVERIFY(beyondFinish(window->stanceFrame(0)->x()));
        window->onClockTick();
        QCOMPARE(race().stridePhase, StridePhase::BluePadExpected);
        QVERIFY(window->clockRunning());

        window->onBluePadMoved();
        QCOMPARE(window->stanceFrame(0)->x(), GoalLeft);
        acceptTheName();
        window->onClockTick();
        QCOMPARE(race().stridePhase, StridePhase::Finished);
        QVERIFY(!window->clockRunning());
        QVERIFY(!shown(window->stanceFrame(0)));
        QVERIFY(!shown(window->strideFrame(0)));
        QVERIFY(shown(window->goalPose(0)));
        QCOMPARE(window->clockLabel()->text(), QString("0.2秒"));

        // Frozen until Retry: neither pad moves, the race does not restart.
        strides(1);
        QCOMPARE(window->stanceFrame(0)->x(), GoalLeft);
        QVERIFY(race().started);
        QVERIFY(!window->clockRunning());
    }

    // A machine that stalls drops timer ticks; the time shown and ranked is
    // still the real time since the first stride.
    void aStallInsideTheRaceCountsInFull()
    {
        window->onRedPadMoved();
        for (int tick = 1; tick <= 10; ++tick)
            clock->tickAt(70 * tick);
        window->onBluePadMoved();
        strides(StridesToFinish - 1);
        acceptTheName();
        clock->tickAt(700 + 1500); // the one tick after a stall of 1.5 s
        QCOMPARE(race().stridePhase, StridePhase::Finished);
        QCOMPARE(window->clockLabel()->text(), QString("3.1秒"));
        QCOMPARE(race().score, 31);
        QCOMPARE(window->rankingLines().line(TimeColumn), std::string("31"));
    }

    void retryMidStride()
    {
        strides(5);
        window->onRedPadMoved();
        window->onClockTick();
        window->onRetryClicked();
        QVERIFY(!race().started);
        QCOMPARE(race().stridePhase, StridePhase::RedPadExpected);
        QCOMPARE(race().seconds, 0);
        QCOMPARE(race().tenths, 0);
        QVERIFY(!window->clockRunning());
        QCOMPARE(window->clockLabel()->text(), QString("0.0秒"));
        for (int r = 0; r < RunnerCount; ++r) {
            QCOMPARE(window->stanceFrame(r)->x(), StartLeft);
            QCOMPARE(window->strideFrame(r)->x(), StartLeft);
        }
        QVERIFY(shown(window->stanceFrame(0)));
        QVERIFY(!shown(window->strideFrame(0)));

        // The next red move starts a new race from nothing.
        window->onRedPadMoved();
        QVERIFY(race().started);
        QVERIFY(window->clockRunning());
        clock->tickAt(70);
        QCOMPARE(window->clockLabel()->text(), QString("0.1秒"));
    }

    void retryAfterFinishKeepsRunnerAndScore()
    {
        runToTheFinish();
        QCOMPARE(race().stridePhase, StridePhase::Finished);
        const int score = race().score;
        window->onRetryClicked();
        QVERIFY(!shown(window->goalPose(0)));
        QVERIFY(shown(window->stanceFrame(0)));
        QCOMPARE(window->stanceFrame(0)->x(), StartLeft);
        QCOMPARE(race().runner, 0);
        QCOMPARE(race().score, score);
    }

    // Pressing the button over the red pad holds the pointer there: the
    // blue pad sees nothing until the button is released.
    void buttonHeldOverRedPadCapturesThePointer()
    {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        FlatPanel *redPad = window->redPad(), *bluePad = window->bluePad();
        const QPoint red = redPad->rect().center();
        const QPoint blue = redPad->mapFromGlobal(bluePad->mapToGlobal(bluePad->rect().center()));
        QTest::mouseMove(redPad, red);
        QCOMPARE(window->stanceFrame(0)->x(), AfterRedPad);
        QTest::mousePress(redPad, Qt::LeftButton, {}, red);
        QTest::mouseMove(redPad, blue);
        QTest::mouseMove(redPad, red);
        QTest::mouseMove(redPad, blue);
        QCOMPARE(window->stanceFrame(0)->x(), AfterRedPad);
        QCOMPARE(race().stridePhase, StridePhase::BluePadExpected);
        QTest::mouseRelease(redPad, Qt::LeftButton, {}, blue);
        QTest::mouseMove(bluePad, bluePad->rect().center() + QPoint(1, 0));
        QCOMPARE(race().stridePhase, StridePhase::RedPadExpected);
        QCOMPARE(window->stanceFrame(0)->x(), AfterStride);
    }

    // The exit button ends the event loop, and the window stays for the
    // program to take down; a loop that never ends is caught by the guard.
    void exitButtonEndsTheProgram()
    {
        window->show();
        QTimer::singleShot(0, window.get(), [this] { window->onExitClicked(); });
        // Gone with this test, so that it cannot end a later test's loop.
        QObject endsWithThisTest;
        QTimer::singleShot(5000, &endsWithThisTest, [] { QCoreApplication::exit(1); });
        QCOMPARE(QCoreApplication::exec(), 0);
        QVERIFY(window->isVisible());
    }

    // The platform refuses the clock's timer: the pointer move that starts
    // the race shows the error once and does no more; the clock counts as
    // switched on, so the runner cannot be changed, and the pads go on.
    void refusedTimerAtTheRaceStart()
    {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        clock->refuseTimer = true;
        MessageBoxAnswerer boxes;
        QTest::mouseMove(window->redPad(), window->redPad()->rect().center());
        QTRY_COMPARE(boxes.texts, QStringList{"タイマーを取得できません."});
        QVERIFY(race().started);
        QCOMPARE(window->stanceFrame(0)->x(), StartLeft); // no stride with the failed start
        window->onPortraitClicked<4>();
        QCOMPARE(race().runner, 0);
        strides(2);
        QCOMPARE(window->stanceFrame(0)->x(), StartLeft + 2 * StrideLength);

        // Retry switches the clock off; the next race start fails the same way.
        window->onRetryClicked();
        QTest::mouseMove(window->bluePad(), window->bluePad()->rect().center());
        QTest::mouseMove(window->redPad(), window->redPad()->rect().center() + QPoint(1, 0));
        QTRY_COMPARE(boxes.texts.size(), 2);
        QCOMPARE(boxes.texts[1], boxes.texts[0]);
    }

    // The finish's save fails: one error box from the clock's tick, the race
    // stays finished, the ranking keeps the entry in memory, and the clock
    // that stopped for the finish sends no more ticks.
    void saveFailsAtTheFinish()
    {
        QVERIFY(QDir(folder->path()).mkdir("rank.mlt"));
        MessageBoxAnswerer boxes;
        strides(StridesToFinish);
        acceptTheName();
        clock->tickAt(70);
        QCOMPARE(boxes.texts, QStringList{"ファイル rank.mlt を作成できません."});
        QCOMPARE(race().stridePhase, StridePhase::Finished);
        QVERIFY(shown(window->goalPose(0)));
        QCOMPARE(window->rankingLines().line(TimeColumn), std::string("1"));

        // The next ranked race fails the same way, and only once.
        window->onRetryClicked();
        strides(StridesToFinish);
        acceptTheName();
        clock->tickAt(70);
        QCOMPARE(boxes.texts.size(), 2);
        QCOMPARE(boxes.texts[1], boxes.texts[0]);
    }

    // Another copy holds the play folder's lock through the whole finish: the
    // name is asked and the finish done without a wait and without an error,
    // and the entry is saved once the lock comes free.
    void finishWhileAnotherCopyHoldsTheLock()
    {
        MessageBoxAnswerer boxes;
        {
            const FolderLockHolder otherCopy(folder->path());
            strides(StridesToFinish);
            acceptTheName();
            clock->tickAt(70);
            QCOMPARE(race().stridePhase, StridePhase::Finished);
            QCOMPARE(window->rankingLines().line(TimeColumn), std::string("1"));
            QCOMPARE(boxes.texts, QStringList());
            QVERIFY(!QFile::exists(folder->filePath("rank.mlt")));
        }
        QTRY_VERIFY(QFile::exists(folder->filePath("rank.mlt")));
        RankingLines saved;
        RankingFile(folder->filePath("rank.mlt")).load(saved);
        QCOMPARE(saved.text(), window->rankingLines().text());
        QCOMPARE(boxes.texts, QStringList());
    }

    // Two copies of the game in one play folder: a copy that saves while the
    // other's name dialog is open is not written over, and a finish is placed
    // among what the other copy saved before it.
    void twoCopiesShareTheRanking()
    {
        auto otherClockOwned = std::make_unique<ManualRaceClock>();
        ManualRaceClock *otherClock = otherClockOwned.get();
        const auto other = std::make_unique<RaceWindow>(music, help, std::move(otherClockOwned));
        QStringList prompts;
        // A finish `ticks` tenths long in a window, the dialog answered with
        // the name; `meanwhile` runs while the dialog is open.
        const auto finish = [&](RaceWindow &screen, ManualRaceClock &raceClock, int ticks, const QString &name,
                                const std::function<void()> &meanwhile) {
            screen.onRetryClicked();
            for (int i = 0; i < StridesToFinish; ++i) {
                screen.onRedPadMoved();
                screen.onBluePadMoved();
            }
            whenModalOpens<QDialog>([&, name, meanwhile](QDialog *dialog) {
                prompts << dialog->findChild<QLabel *>()->text();
                meanwhile();
                dialog->findChild<QLineEdit *>()->setText(name);
                dialog->accept();
            });
            raceClock.tickAt(ticks * ClockIntervalMs);
        };
        finish(*other, *otherClock, 20, "B", [&] { finish(*window, *clock, 10, "A", [] {}); });
        finish(*window, *clock, 30, "C", [] {});

        QCOMPARE(prompts, QStringList({"１位です。名前を入力して下さい。", "１位です。名前を入力して下さい。",
                                       "３位です。名前を入力して下さい。"}));
        RankingLines saved;
        RankingFile(folder->filePath("rank.mlt")).load(saved);
        for (int k = 0; k < 4; ++k) {
            const char *names[] = {"A", "B", "C", "\x96\xBC\x91\x4F\x82\xC8\x82\xB5"};
            const char *times[] = {"10", "20", "30", "500"};
            QCOMPARE(saved.line(NameColumn + k), std::string(names[k]));
            QCOMPARE(saved.line(TimeColumn + k), std::string(times[k]));
        }
        QCOMPARE(window->rankingLines().text(), saved.text());
    }

    // What a screen reader says at the finish: the time with the name
    // dialog, then the place and name saved; or the time outside the top ten.
    void whatAScreenReaderHearsAtTheFinish_data()
    {
        // Every place of the ranking at this many seconds.
        QTest::addColumn<int>("seconds");
        QTest::addColumn<bool>("ranks");
        QTest::newRow("into the top ten") << 50 << true;
        QTest::newRow("outside the top ten") << 0 << false;
    }
    void whatAScreenReaderHearsAtTheFinish()
    {
        QFETCH(int, seconds);
        QFETCH(bool, ranks);
        QFile file(folder->filePath("rank.mlt"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        for (const QByteArray &line : {QByteArray::number(seconds), QByteArray("0"), QByteArray("P"),
                                       QByteArray::number(seconds * 10)})
            file.write((line + "\r\n").repeated(RankingPlaces));
        file.write(QByteArray("\r\n").repeated(5));
        file.close();
        window->loadRanking();

        QString dialogWords;
        if (ranks) {
            whenModalOpens<QDialog>([&](QDialog *dialog) {
                dialogWords = dialog->accessibleDescription();
                dialog->findChild<QLineEdit *>()->setText("Ann");
                dialog->accept();
            });
        }
        strides(StridesToFinish);
        clock->tickAt(3 * ClockIntervalMs);
        const QString time = window->clockLabel()->text();
        QCOMPARE(time, QString("0.3秒"));
        const QString notice = window->findChild<SpokenNotice *>()->lastSaid();
        QCOMPARE(dialogWords, ranks ? time : QString());
        QCOMPARE(notice, ranks ? QString("1位に Ann を登録しました") : time + " ランキング外です");
    }

    // By ear, the synth gets one note for each half-stride counted, red and
    // blue apart, and none for a move that counts nothing; each quarter of
    // the way is told once. Without the race by ear the race sounds only its
    // tunes.
    void raceByEar_data()
    {
        QTest::addColumn<bool>("byEar");
        QTest::addColumn<bool>("unevenRunner");
        QTest::addColumn<int>("movesPerPad"); // for each half-stride
        QTest::newRow("a move a pad") << true << false << 1;
        QTest::newRow("several moves a pad") << true << false << 3;
        QTest::newRow("an uneven stride") << true << true << 2;
        QTest::newRow("not by ear") << false << false << 2;
    }
    void raceByEar()
    {
        QFETCH(bool, byEar);
        QFETCH(bool, unevenRunner);
        QFETCH(int, movesPerPad);
        if (unevenRunner)
            window->onPortraitClicked<2>();
        window->chooseRaceByEar(byEar);
        auto *notice = window->findChild<SpokenNotice *>();
        QStringList told;
        int made = 0;
        acceptTheName();
        while (race().stridePhase != StridePhase::Finished) {
            for (int i = 0; i < movesPerPad; ++i)
                window->onRedPadMoved();
            for (int i = 0; i < movesPerPad; ++i)
                window->onBluePadMoved();
            ++made;
            if (!notice->lastSaid().isEmpty() && (told.isEmpty() || told.last() != notice->lastSaid()))
                told << notice->lastSaid();
            window->onClockTick();
        }
        QCOMPARE(made, StridesToFinish);
        QCOMPARE(music.count(Cue::RedStride), byEar ? made : 0);
        QCOMPARE(music.count(Cue::BlueStride), byEar ? made : 0);
        QCOMPARE(music.count(Cue::Quarter), byEar ? 3 : 0);
        QCOMPARE(told, byEar ? QStringList({"25m", "50m", "75m"}) : QStringList());
        // Retry, and the next race tells its quarters again.
        window->onRetryClicked();
        strides(StridesToFinish / 2);
        QCOMPARE(music.count(Cue::Quarter), byEar ? 5 : 0);
    }

    // By ear, mid-race, a pointer that leaves both pads is warned of; one
    // that goes from pad to pad is not.
    void pointerOffThePads_data()
    {
        QTest::addColumn<bool>("byEar");
        QTest::addColumn<bool>("ontoTheOtherPad");
        QTest::addColumn<int>("warnings");
        QTest::newRow("onto the ground") << true << false << 1;
        QTest::newRow("onto the other pad") << true << true << 0;
        QTest::newRow("not by ear") << false << false << 0;
    }
    void pointerOffThePads()
    {
        QFETCH(bool, byEar);
        QFETCH(bool, ontoTheOtherPad);
        QFETCH(int, warnings);
        window->chooseRaceByEar(byEar);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        FlatPanel *redPad = window->redPad(), *bluePad = window->bluePad();
        QTest::mouseMove(redPad, redPad->rect().center());
        QVERIFY(race().started);
        const QPoint there = ontoTheOtherPad ? bluePad->mapTo(window.get(), bluePad->rect().center())
                                             : redPad->mapTo(window.get(), QPoint(redPad->width() / 2, -20));
        QTest::mouseMove(window.get(), there);
        QCoreApplication::processEvents();
        QCOMPARE(music.count(Cue::PointerOffPads), warnings);
    }

    // An error raised while the name dialog waits is shown over it; the
    // dialog stays and the player's answer still enters the race.
    void errorInsideTheNameDialog()
    {
        MessageBoxAnswerer boxes;
        whenModalOpens<QDialog>([&](QDialog *dialog) {
            for (int n = 1; n <= 2; ++n) {
                QMetaObject::invokeMethod(
                    window.get(), [] { guarded([] { throw EFOpenError(Fault::FileNotOpened, {"queued"}); }); },
                    Qt::QueuedConnection);
                QTRY_COMPARE(boxes.texts.size(), n);
                QCOMPARE(QApplication::activeModalWidget(), dialog);
            }
            dialog->accept();
        });
        strides(StridesToFinish);
        window->onClockTick();
        QCOMPARE(boxes.texts, QStringList({"ファイル queued は開けません.", "ファイル queued は開けません."}));
        QCOMPARE(race().stridePhase, StridePhase::Finished);
        QCOMPARE(window->rankingLines().line(TimeColumn), std::string("1"));
        QVERIFY(QFile::exists(folder->filePath("rank.mlt")));
    }
};

QTEST_MAIN(TestRaceScreen)
#include "tst_racescreen.moc"
