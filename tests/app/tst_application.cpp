#include "app/game.h"

#include "modal.h"
#include "playfolder.h"

#include "core/exception.h"
#include "ui/errorbox.h"
#include "ui/racewindow.h"
#include "ui/rankingwindow.h"
#include "ui/versionwindow.h"

#include <QFile>
#include <QRegularExpression>
#include <QTest>

// The program from start-up to its end, and the error box that any handler's
// error goes to.
class TestApplication : public QObject
{
    Q_OBJECT

    // An error raised where Qt calls the game: from a queued call.
    template <class Error>
    static void raiseQueued(const Error &error)
    {
        QMetaObject::invokeMethod(qApp, [error] { guarded([&] { throw error; }); }, Qt::QueuedConnection);
    }

private slots:
    void errorBoxShowsTheMessageAndTheLoopGoesOn()
    {
        QString caption, text;
        Qt::TextFormat format = Qt::AutoText;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QMessageBox::StandardButtons buttons;
        Qt::WindowModality modality = Qt::NonModal;
        whenModalOpens<QMessageBox>([&](QMessageBox *box) {
            caption = box->windowTitle();
            text = box->text();
            format = box->textFormat();
            icon = box->icon();
            buttons = box->standardButtons();
            modality = box->windowModality();
        });
        raiseQueued(EFOpenError(Fault::FileNotOpened, {"<b>rank.mlt</b>"}));
        QTRY_VERIFY(!text.isEmpty());
        QTRY_VERIFY(!QApplication::activeModalWidget());
        QCOMPARE(caption, QString("Tst_application")); // the program file's name
        QCOMPARE(text, QString("ファイル <b>rank.mlt</b> は開けません."));
        QCOMPARE(format, Qt::PlainText);
        QCOMPARE(icon, QMessageBox::Critical);
        QCOMPARE(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(modality, Qt::ApplicationModal);

        // The next error is handled as the first: the program carries on.
        MessageBoxAnswerer boxes;
        raiseQueued(std::runtime_error("device busy (2)"));
        QTRY_COMPARE(boxes.texts, QStringList{"device busy (2)"});
    }

    // Without a ranking file the game says so before any window shows, then
    // runs with the built-in table; closing the race screen ends it with 0.
    void startWithoutARankingFile()
    {
        PlayFolder folder;
        Game game(MusicService::Output::Manual);
        QString text;
        bool raceScreenShownFirst = true, sideWindowsHidden = false;
        std::string rankingText;
        whenModalOpens<QMessageBox>([&](QMessageBox *box) {
            text = box->text();
            raceScreenShownFirst = game.raceWindow()->isVisible();
        });
        // Once the race screen is up and the side windows are made after its
        // first frame, look around and close it.
        QTimer running;
        running.setInterval(10);
        int waitedForSideWindows = 0;
        connect(&running, &QTimer::timeout, [&] {
            if (!game.raceWindow() || !game.raceWindow()->isVisible())
                return;
            if (!game.rankingWindow() && ++waitedForSideWindows < 500)
                return;
            running.stop();
            sideWindowsHidden = game.rankingWindow() && game.versionWindow() && !game.rankingWindow()->isVisible()
                                && !game.versionWindow()->isVisible();
            rankingText = game.raceWindow()->rankingLines().text();
            game.raceWindow()->onExitClicked();
        });
        running.start();
        QCOMPARE(game.run(), 0);
        QCOMPARE(text, QString("ファイル rank.mlt は開けません."));
        QVERIFY(!raceScreenShownFirst);
        QVERIFY(sideWindowsHidden);
        QCOMPARE(rankingText, builtInRankingLines().text());
        QVERIFY(!game.raceWindow() && !game.rankingWindow() && !game.versionWindow());
        QVERIFY(!QFile::exists(folder.filePath("rank.mlt")));
    }

    // A tune that cannot be opened, or a system that cannot convert code
    // page 932, ends the start-up with the fatal box.
    void fatalStartUp_data()
    {
        QTest::addColumn<QString>("missingTune");
        QTest::addColumn<QByteArray>("codePage932");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("named");
        QTest::newRow("race tune") << "100m.mid" << QByteArray(Cp932IconvName) << "EMCIDeviceError" << "100m.mid";
        QTest::newRow("goal tune") << "goal.mid" << QByteArray(Cp932IconvName) << "EMCIDeviceError" << "goal.mid";
        QTest::newRow("no code page 932") << "" << QByteArray("NO-SUCH-CODE-PAGE") << "EEncodingError"
                                          << "NO-SUCH-CODE-PAGE";
    }
    void fatalStartUp()
    {
        QFETCH(QString, missingTune);
        QFETCH(QByteArray, codePage932);
        QFETCH(QString, kind);
        QFETCH(QString, named);
        PlayFolder folder;
        if (!missingTune.isEmpty())
            QFile::remove(folder.filePath(missingTune));
        Game game(MusicService::Output::Manual, codePage932.constData());
        QString caption, text;
        int windows = 0;
        whenModalOpens<QMessageBox>([&](QMessageBox *box) {
            caption = box->windowTitle();
            text = box->text();
            windows = QApplication::topLevelWidgets().size();
        });
        QCOMPARE(game.run(), 1);
        QCOMPARE(caption, QString("アプリケーション エラー"));
        QCOMPARE(windows, 1); // the box alone
        const QRegularExpression fatal("^Exception " + kind + " in module tst_application at [0-9A-F]{8}\\.\n"
                                       ".*" + QRegularExpression::escape(named) + ".*\\.$");
        QVERIFY2(fatal.match(text).hasMatch(), qPrintable(text));
        QVERIFY(!game.raceWindow() && !game.rankingWindow() && !game.versionWindow());
    }
};

QTEST_MAIN(TestApplication)
#include "tst_application.moc"
