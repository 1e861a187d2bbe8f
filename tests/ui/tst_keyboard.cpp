#include "racescreen.h"

#include "ui/accessibility.h"
#include "ui/rankingwindow.h"
#include "ui/versionwindow.h"

#include <QSignalSpy>
#include <QTest>

// The game at the keyboard: the arrows along the bars, Space, Return and
// Enter on a button, the focus mark only where the keyboard brought the
// focus, the game's keys only where their button could be pressed, and
// Escape and Return as the side windows' OK.
class TestKeyboard : public QObject, RaceScreenFixture
{
    Q_OBJECT

    PictureBox *button(const char *objectName) const
    {
        auto *found = window->findChild<PictureBox *>(QString::fromLatin1(objectName));
        Q_ASSERT(found);
        return found;
    }
    QString focused() const { return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString(); }
    void press(int key, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : QApplication::activeWindow(),
                        Qt::Key(key), modifiers);
    }

private slots:
    void init()
    {
        openRaceScreen();
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }
    void cleanup()
    {
        help.quit();
        closeRaceScreen();
    }

    // Space opens the selection bar and the focus goes to its first portrait;
    // Left goes round to 戻る, whose Return brings the toolbar back with the
    // focus on the runner button. (The e2e test hears Tab's order.)
    void theFocusGoesAlongWithTheBars()
    {
        QCOMPARE(focused(), QString("Image19"));
        press(Qt::Key_Space);
        QVERIFY(shown(window->selectionBar()));
        QCOMPARE(focused(), QString("Image20"));
        press(Qt::Key_Left);
        QCOMPARE(focused(), QString("Image25"));
        press(Qt::Key_Return);
        QVERIFY(shown(window->toolbar()));
        QCOMPARE(focused(), QString("Image19"));
        // Enter on リトライ: a new race.
        strides(2);
        press(Qt::Key_Right);
        press(Qt::Key_Enter);
        QCOMPARE(focused(), QString("Image27"));
        QVERIFY(!race().started);
    }

    // Escape closes the selection bar as 戻る does; the runner button says
    // who runs, and after a choice, who runs now.
    void escapeClosesTheSelectionBarAndTheRunnerIsSaid()
    {
        QCOMPARE(button("Image19")->accessibleDescription(), QString("ポルカさんが走ります"));
        press(Qt::Key_Space);
        press(Qt::Key_Escape);
        QVERIFY(shown(window->toolbar()));
        QCOMPARE(focused(), QString("Image19"));
        press(Qt::Key_Space);
        press(Qt::Key_Right);
        press(Qt::Key_Return);
        QCOMPARE(race().runner, 1); // the second portrait
        QCOMPARE(button("Image19")->accessibleDescription(), QString("嘆きの老人が走ります"));
    }

    // F3 reads the clock as it stands; F4 turns the race by ear on and off,
    // and the player's choice stands until a screen reader starts or ends.
    void raceByEarKeys()
    {
        auto *notice = window->findChild<SpokenNotice *>();
        strides(1);
        clock->tickAt(5 * ClockIntervalMs);
        press(Qt::Key_F3);
        QCOMPARE(notice->lastSaid(), QString("0.5秒"));
        QVERIFY(!window->raceByEar());
        press(Qt::Key_F4);
        QVERIFY(window->raceByEar());
        QCOMPARE(notice->lastSaid(), QString("音声案内 オン"));
        window->followScreenReader(false);
        QVERIFY(window->raceByEar());
        press(Qt::Key_F4);
        QVERIFY(!window->raceByEar());
        QCOMPARE(notice->lastSaid(), QString("音声案内 オフ"));
        window->followScreenReader(true);
        QVERIFY(window->raceByEar());
        window->followScreenReader(false);
        QVERIFY(!window->raceByEar());
    }

    // The focused button looks as drawn unless the keyboard brought the
    // focus; a bar that gives way hands the mark on as it had it.
    void focusMarkOnlyFromTheKeyboard_data()
    {
        QTest::addColumn<int>("reason");
        QTest::addColumn<bool>("marked");
        QTest::newRow("Tab") << int(Qt::TabFocusReason) << true;
        QTest::newRow("Shift+Tab") << int(Qt::BacktabFocusReason) << true;
        QTest::newRow("mouse") << int(Qt::MouseFocusReason) << false;
        QTest::newRow("the game") << int(Qt::OtherFocusReason) << false;
    }
    void focusMarkOnlyFromTheKeyboard()
    {
        QFETCH(int, reason);
        QFETCH(bool, marked);
        PictureBox *retry = button("Image27");
        const QImage asDrawn = retry->grab().toImage();
        retry->setFocus(Qt::FocusReason(reason));
        QCOMPARE(retry->grab().toImage() != asDrawn, marked);
        // Another window active, then the race screen again: the mark as it was.
        QWidget other;
        other.show();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QCOMPARE(retry->grab().toImage(), asDrawn);
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QCOMPARE(focused(), QString("Image27"));
        QCOMPARE(retry->grab().toImage() != asDrawn, marked);

        PictureBox *portrait = window->portrait(0);
        const QImage portraitAsDrawn = portrait->grab().toImage();
        button("Image19")->setFocus(Qt::FocusReason(reason));
        QCOMPARE(retry->grab().toImage(), asDrawn);
        emit button("Image19")->clicked();
        QCOMPARE(focused(), QString("Image20"));
        QCOMPARE(portrait->grab().toImage() != portraitAsDrawn, marked);
    }

    // A key does what its button does only where the player could press the
    // button: not while the selection bar covers the toolbar, in the help
    // viewer as on the race screen.
    void gameKeysOnlyWhereTheirButtonCanBePressed_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("buttonName");
        QTest::addColumn<bool>("inHelpViewer");
        QTest::addColumn<bool>("barOpen");
        QTest::addColumn<int>("presses");
        QTest::newRow("F2") << int(Qt::Key_F2) << "Image27" << false << false << 1;
        QTest::newRow("Ctrl+N") << (Qt::CTRL | Qt::Key_N).toCombined() << "Image27" << false << false << 1;
        QTest::newRow("F1") << int(Qt::Key_F1) << "Image29" << false << false << 1;
        QTest::newRow("F2, bar open") << int(Qt::Key_F2) << "Image27" << false << true << 0;
        QTest::newRow("Ctrl+N, bar open") << (Qt::CTRL | Qt::Key_N).toCombined() << "Image27" << false << true << 0;
        QTest::newRow("F1, bar open") << int(Qt::Key_F1) << "Image29" << false << true << 0;
        QTest::newRow("F2 in help") << int(Qt::Key_F2) << "Image27" << true << false << 1;
        QTest::newRow("Ctrl+N in help") << (Qt::CTRL | Qt::Key_N).toCombined() << "Image27" << true << false << 1;
        QTest::newRow("F1 in help") << int(Qt::Key_F1) << "Image29" << true << false << 1;
        QTest::newRow("F2 in help, bar open") << int(Qt::Key_F2) << "Image27" << true << true << 0;
    }
    void gameKeysOnlyWhereTheirButtonCanBePressed()
    {
        QFETCH(int, key);
        QFETCH(QString, buttonName);
        QFETCH(bool, inHelpViewer);
        QFETCH(bool, barOpen);
        QFETCH(int, presses);
        if (inHelpViewer) {
            window->onHelpClicked();
            QVERIFY(QTest::qWaitForWindowActive(help.viewer()));
        }
        if (barOpen)
            window->onRunnerButtonClicked();
        strides(3);
        QSignalSpy pressed(button(buttonName.toLatin1()), &PictureBox::clicked);
        QWidget *active = QApplication::activeWindow();
        QCOMPARE(active, inHelpViewer ? static_cast<QWidget *>(help.viewer()) : window.get());
        QTest::keyClick(active, Qt::Key(key & ~Qt::KeyboardModifierMask), Qt::KeyboardModifiers(key & Qt::KeyboardModifierMask));
        QCOMPARE(pressed.count(), presses);
        // A new race only where Retry could be pressed.
        QCOMPARE(race().started, !(presses && buttonName == "Image27"));
    }

    // Escape and Return answer as a side window's OK; a held key, once.
    void sideWindowsTakeEscapeAndReturnAsOk_data()
    {
        QTest::addColumn<bool>("ranking");
        QTest::addColumn<int>("key");
        QTest::newRow("ranking, Escape") << true << int(Qt::Key_Escape);
        QTest::newRow("ranking, Return") << true << int(Qt::Key_Return);
        QTest::newRow("version, Escape") << false << int(Qt::Key_Escape);
        QTest::newRow("version, Enter") << false << int(Qt::Key_Enter);
    }
    void sideWindowsTakeEscapeAndReturnAsOk()
    {
        QFETCH(bool, ranking);
        QFETCH(int, key);
        RankingWindow rankingWindow(window.get());
        VersionWindow versionWindow(window.get());
        window->attachSideWindows(&rankingWindow, &versionWindow);
        SideWindow *side = ranking ? static_cast<SideWindow *>(&rankingWindow) : &versionWindow;
        ranking ? window->onRankingClicked() : window->onVersionClicked();
        QVERIFY(QTest::qWaitForWindowActive(side));
        // OK, the one button, has the focus; Tab leaves it there, with the mark.
        auto *ok = qobject_cast<PictureBox *>(QApplication::focusWidget());
        QVERIFY(ok);
        const QImage okAsDrawn = ok->grab().toImage();
        QTest::keyClick(ok, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), ok);
        QVERIFY(ok->grab().toImage() != okAsDrawn);
        QTest::keyPress(ok, Qt::Key(key), {}, -1);
        QVERIFY(!side->isVisible());
        QTRY_VERIFY(window->isActiveWindow());
        // The key repeats into the race screen, which does nothing with it.
        QKeyEvent repeat(QEvent::KeyPress, key, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(QApplication::focusWidget(), &repeat);
        QVERIFY(!side->isVisible());
        QVERIFY(shown(window->toolbar()));
    }
};

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
