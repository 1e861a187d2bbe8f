#include "core/exception.h"
#include "app/tapplication.h"

#include "modal.h"
#include "playfolder.h"
#include "ui/tform1.h"
#include "ui/tform2.h"
#include "ui/tform3.h"

#include <QFile>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTest>

namespace {

class Thrower : public QObject
{
public:
    std::string message;
    int handled = 0;
    bool event(QEvent *event) override
    {
        if (event->type() != QEvent::User)
            return QObject::event(event);
        ++handled;
        throw EFOpenError(message);
    }
};

} // namespace

class TestApplication : public QObject
{
    Q_OBJECT
private slots:
    void titleFromTheProgramFile()
    {
        QCOMPARE(static_cast<TApplication *>(qApp)->Title, QString("Tst_application"));
    }

    void errorLeavingAHandlerIsShownAndTheLoopGoesOn()
    {
        Thrower thrower;
        thrower.message = "ファイル <b>rank.mlt</b> は開けません";
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
        QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
        QTRY_COMPARE(thrower.handled, 1);
        QTRY_VERIFY(!QApplication::activeModalWidget());
        QCOMPARE(caption, QString("Tst_application"));
        QCOMPARE(text, QString("ファイル <b>rank.mlt</b> は開けません."));
        QCOMPARE(format, Qt::PlainText);
        QCOMPARE(icon, QMessageBox::Critical);
        QCOMPARE(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(modality, Qt::ApplicationModal);

        // The next event is handled as usual: the program carries on.
        whenModalOpens<QMessageBox>([](QMessageBox *) {});
        QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
        QTRY_COMPARE(thrower.handled, 2);
        QTRY_VERIFY(!QApplication::activeModalWidget());
    }

    void messageEndingInABracketGetsNoPeriod()
    {
        Thrower thrower;
        thrower.message = "device busy (2)";
        QString text;
        whenModalOpens<QMessageBox>([&](QMessageBox *box) { text = box->text(); });
        QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
        QTRY_COMPARE(text, QString("device busy (2)"));
    }

    // Without a ranking file the game says so before any window shows, then
    // runs with the built-in table; closing the race screen ends it with 0.
    void startWithoutARankingFile()
    {
        PlayFolder folder;
        auto *app = static_cast<TApplication *>(qApp);
        QString text;
        bool raceScreenShownFirst = true, sideWindowsHidden = false;
        int rankingLines = 0;
        whenModalOpens<QMessageBox>([&](QMessageBox *box) {
            text = box->text();
            raceScreenShownFirst = app->Form1->isVisible();
        });
        // Once the race screen is up, look around and close it.
        QTimer running;
        running.setInterval(10);
        connect(&running, &QTimer::timeout, [&] {
            if (!app->Form1 || !app->Form1->isVisible())
                return;
            running.stop();
            sideWindowsHidden = app->Form2 && app->Form3 && !app->Form2->isVisible() && !app->Form3->isVisible();
            rankingLines = app->Form1->Memo1.lineCount();
            app->Form1->Image26Click();
        });
        running.start();
        QCOMPARE(app->run(), 0);
        QCOMPARE(text, QString("ファイル rank.mlt は開けません."));
        QVERIFY(!raceScreenShownFirst);
        QVERIFY(sideWindowsHidden);
        QCOMPARE(rankingLines, 45);
        QVERIFY(!app->Form1 && !app->Form2 && !app->Form3);
        QVERIFY(!QFile::exists(folder.filePath("rank.mlt")));
    }

    // A tune that cannot be opened ends the start-up with the fatal box.
    void missingTuneIsFatal_data()
    {
        QTest::addColumn<QString>("missing");
        QTest::newRow("race tune") << "100m.mid";
        QTest::newRow("goal tune") << "goal.mid";
    }
    void missingTuneIsFatal()
    {
        QFETCH(QString, missing);
        PlayFolder folder;
        QFile::remove(folder.filePath(missing));
        auto *app = static_cast<TApplication *>(qApp);
        QString caption, text;
        whenModalOpens<QMessageBox>([&](QMessageBox *box) {
            caption = box->windowTitle();
            text = box->text();
            QVERIFY(QApplication::topLevelWidgets().size() == 1);
        });
        QCOMPARE(app->run(), 1);
        QCOMPARE(caption, QString("アプリケーション エラー"));
        const QRegularExpression fatal("^Exception EMCIDeviceError in module tst_application at [0-9A-F]{8}\\.\n"
                                       ".*" + QRegularExpression::escape(missing) + ".*\\.$");
        QVERIFY2(fatal.match(text).hasMatch(), qPrintable(text));
        QVERIFY(!app->Form1 && !app->Form2 && !app->Form3);
    }
};

int main(int argc, char **argv)
{
    TApplication application(argc, argv);
    TestApplication test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_application.moc"
