#include "racescreen.h"

#include "core/exception.h"
#include "ui/accessibility.h"
#include "ui/rankingwindow.h"
#include "ui/versionwindow.h"

#include <QFile>
#include <QTest>

// The ranking as the player reads it, and the two side windows.
class TestSideWindows : public QObject, RaceScreenFixture
{
    Q_OBJECT

    std::unique_ptr<RankingWindow> ranking;
    std::unique_ptr<VersionWindow> version;

    void writeRankingFile(const QByteArray &bytes)
    {
        QFile file(folder->filePath("rank.mlt"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

private slots:
    void initTestCase() { installAccessibleInterfaces(); }
    void init()
    {
        openRaceScreen();
        ranking = std::make_unique<RankingWindow>(window.get());
        version = std::make_unique<VersionWindow>(window.get());
        window->attachSideWindows(ranking.get(), version.get());
    }
    void cleanup()
    {
        version.reset();
        ranking.reset();
        closeRaceScreen();
    }

    // Up and Down read a side window's lines to a screen reader one at a
    // time, a ranking row whole, as often as wanted while the window is open.
    void linesReadByUpAndDown_data()
    {
        QTest::addColumn<bool>("rankingWindow");
        QTest::newRow("ranking") << true;
        QTest::newRow("version") << false;
    }
    void linesReadByUpAndDown()
    {
        QFETCH(bool, rankingWindow);
        SideWindow *side = rankingWindow ? static_cast<SideWindow *>(ranking.get()) : version.get();
        rankingWindow ? window->onRankingClicked() : window->onVersionClicked();
        QVERIFY(QTest::qWaitForWindowActive(side));
        const QStringList lines = readableLines(side);
        QVERIFY(lines.size() >= 2);
        if (rankingWindow)
            QVERIFY2(lines.filter(QRegularExpression("^１位 \\S+ \\d+\\.\\d秒$")).size() == 1, qPrintable(lines.join('|')));
        auto *notice = side->findChild<SpokenNotice *>();
        const std::pair<Qt::Key, int> steps[] = {
            {Qt::Key_Down, 0}, {Qt::Key_Down, 1}, {Qt::Key_Up, 0}, {Qt::Key_Up, 0}};
        for (auto [key, line] : steps) {
            QTest::keyClick(QApplication::focusWidget(), key);
            QCOMPARE(notice->lastSaid(), lines.at(line));
        }
        // Shown again, it says nothing said before and reads from the top.
        side->onOkClicked();
        rankingWindow ? window->onRankingClicked() : window->onVersionClicked();
        QVERIFY(QTest::qWaitForWindowActive(side));
        for (const Utterance *utterance : side->findChildren<Utterance *>())
            QVERIFY(!utterance->isVisible());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QCOMPARE(notice->lastSaid(), lines.at(0));
    }

    // A toolbar button pressed before the side windows are attached (the game
    // makes them after the first frame) asks for them, then shows its window.
    void buttonAsksForSideWindowsNotYetMade_data()
    {
        QTest::addColumn<bool>("rankingButton");
        QTest::newRow("ranking") << true;
        QTest::newRow("version") << false;
    }
    void buttonAsksForSideWindowsNotYetMade()
    {
        QFETCH(bool, rankingButton);
        version.reset();
        ranking.reset();
        closeRaceScreen();
        openRaceScreen();
        connect(window.get(), &RaceWindow::sideWindowsWanted, this, [this] {
            ranking = std::make_unique<RankingWindow>(window.get());
            version = std::make_unique<VersionWindow>(window.get());
            window->attachSideWindows(ranking.get(), version.get());
        });
        rankingButton ? window->onRankingClicked() : window->onVersionClicked();
        QCOMPARE(ranking->isVisible(), rankingButton);
        QCOMPARE(version->isVisible(), !rankingButton);
    }

    void builtInTableWithoutAFile()
    {
        try {
            window->loadRanking();
            QFAIL("no error without rank.mlt");
        } catch (const EFOpenError &error) {
            QCOMPARE(QString::fromUtf8(error.what()), QString("FileNotOpened: rank.mlt"));
        }
        window->onRankingClicked();
        QVERIFY(ranking->isVisible());
        for (int k = 0; k < RankingPlaces; ++k) {
            QCOMPARE(ranking->nameLabel(k)->text(), QString("名前なし"));
            QCOMPARE(ranking->timeLabel(k)->text(), QString("50.0秒"));
        }
    }

    void rowsShowTheLinesAsText()
    {
        QByteArray file;
        const QList<QByteArray> seconds = {"12", "13", "14", "15", "16", "17", "18", "19", "20", "21"};
        const QList<QByteArray> tenths = {"3", "0", "9", "1", "1", "1", "1", "1", "1", "1"};
        const QList<QByteArray> names = {"<b>Bold</b>", "", "\x96\xBC\x91\x4F\x82\xC8\x82\xB5", "d", "e",
                                         "f", "g", "h", "i", "j"};
        for (const auto &column : {seconds, tenths, names})
            for (const QByteArray &line : column)
                file += line + "\r\n";
        for (int k = 0; k < seconds.size(); ++k)
            file += QByteArray::number(seconds[k].toInt() * 10 + tenths[k].toInt()) + "\r\n";
        writeRankingFile(file);
        window->loadRanking();
        window->onRankingClicked();
        QCOMPARE(ranking->nameLabel(0)->text(), QString("<b>Bold</b>"));
        QCOMPARE(ranking->nameLabel(1)->text(), QString());
        QCOMPARE(ranking->nameLabel(2)->text(), QString("名前なし"));
        QCOMPARE(ranking->timeLabel(0)->text(), QString("12.3秒"));
        QCOMPARE(ranking->timeLabel(1)->text(), QString("13.0秒"));
    }

    void aFinishWhileTheWindowIsOpenShowsOnTheNextClick()
    {
        window->onRankingClicked();
        runToTheFinish();
        QCOMPARE(ranking->timeLabel(0)->text(), QString("50.0秒"));
        window->onRankingClicked();
        QCOMPARE(ranking->timeLabel(0)->text(), QString("0.1秒"));
        QCOMPARE(ranking->nameLabel(0)->text(), QString("名前なし"));
        QCOMPARE(ranking->timeLabel(1)->text(), QString("50.0秒"));
        QVERIFY(QFile::exists(folder->filePath("rank.mlt")));
    }

    void okAndCloseBoxHide()
    {
        window->onRankingClicked();
        emit ranking->okButton()->clicked();
        QVERIFY(!ranking->isVisible());
        window->onRankingClicked();
        QVERIFY(ranking->isVisible());
        ranking->close();
        QVERIFY(!ranking->isVisible());
        window->onRankingClicked();
        QVERIFY(ranking->isVisible());

        window->onVersionClicked();
        QVERIFY(version->isVisible());
        window->onVersionClicked();
        QVERIFY(version->isVisible());
        emit version->okButton()->clicked();
        QVERIFY(!version->isVisible());
        window->onVersionClicked();
        version->close();
        QVERIFY(!version->isVisible());
    }

    // Where the window manager offers a minimise box on a side window, the
    // toolbar button brings the minimised window back.
    void aMinimisedSideWindowComesBackWithItsButton()
    {
        window->show();
        window->onRankingClicked();
        window->onVersionClicked();
        ranking->setWindowState(Qt::WindowMinimized);
        version->setWindowState(Qt::WindowMinimized);
        window->onRankingClicked();
        window->onVersionClicked();
        QVERIFY(ranking->isVisible() && !ranking->isMinimized());
        QVERIFY(version->isVisible() && !version->isMinimized());
    }

    void minimisingTakesTheSideWindowsAlong()
    {
        window->show();
        window->onVersionClicked();
        window->setWindowState(Qt::WindowMinimized);
        QVERIFY(!version->isVisible());
        QVERIFY(!ranking->isVisible());
        window->setWindowState(Qt::WindowNoState);
        QVERIFY(version->isVisible());
        QVERIFY(!ranking->isVisible());
    }
};

QTEST_MAIN(TestSideWindows)
#include "tst_sidewindows.moc"
