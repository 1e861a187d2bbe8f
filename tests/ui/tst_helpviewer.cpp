// The help viewer standing in for the platform's help engine.
#include <QtTest>

#include <QAccessible>
#include <QApplication>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextBrowser>

#include "ui/accessibility.h"
#include "ui/helpviewer.h"
#include "japanesescript.h"

#include "testfile.h"

namespace {

HelpViewer *shownViewer()
{
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (auto *viewer = qobject_cast<HelpViewer *>(widget); viewer && viewer->isVisible())
            return viewer;
    return nullptr;
}

} // namespace

class TestHelp : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<HelpEngine> m_help;

    QString writeFile(const QString &name, const QByteArray &bytes) { return writeTestFile(m_dir, name, bytes); }

private slots:
    void initTestCase() { installAccessibleInterfaces(); }
    void init() { m_help = std::make_unique<HelpEngine>(); }
    void cleanup()
    {
        m_help.reset();
        QVERIFY(!shownViewer());
    }

    void finderShowsTheContents()
    {
        const QString path = writeFile("game.hlp", "<html><head><meta charset=\"utf-8\"><title>遊び方</title></head>"
                                                   "<body><h1>パッド</h1><p>赤と青を交互に</p></body></html>");
        m_help->showContents(path);
        HelpViewer *viewer = shownViewer();
        QVERIFY(viewer);
        QVERIFY(!viewer->parentWidget());
        QVERIFY(!viewer->isModal());
        QCOMPARE(viewer->windowTitle(), QStringLiteral("遊び方"));
        QCOMPARE(viewer->browser()->toPlainText(), QStringLiteral("パッド\n赤と青を交互に"));
    }

    void askingAgainReusesTheViewer()
    {
        const QString first = writeFile("a.hlp", "<p>one</p>");
        const QString second = writeFile("b.hlp", "<p>two</p>");
        m_help->showContents(first);
        HelpViewer *viewer = shownViewer();
        m_help->showContents(second);
        QCOMPARE(shownViewer(), viewer);
        QCOMPARE(viewer->browser()->toPlainText(), QStringLiteral("two"));
        QCOMPARE(viewer->windowTitle(), QStringLiteral("b.hlp"));
    }

    void saysWhyItCannotShow_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("kind"); // 0 no file, 1 a folder, 2 not UTF-8
        QTest::addColumn<QString>("message");
        QTest::newRow("missing") << "none.hlp" << 0 << "ヘルプ ファイル %1 が見つかりません。";
        QTest::newRow("markup in the name") << "<b>x</b>.hlp" << 0 << "ヘルプ ファイル %1 が見つかりません。";
        QTest::newRow("a folder") << "folder.hlp" << 1 << "ヘルプ ファイル %1 を読み込めません。";
        QTest::newRow("not UTF-8") << "sjis.hlp" << 2 << "ヘルプ ファイル %1 を読み込めません。";
    }
    void saysWhyItCannotShow()
    {
        QFETCH(QString, name);
        QFETCH(int, kind);
        QFETCH(QString, message);
        QString path = m_dir.filePath(name);
        if (kind == 1)
            QVERIFY(QDir(m_dir.path()).mkdir(name));
        if (kind == 2)
            path = writeFile(name, "\x83\x7E\x83\x8B\x83\x5E"); // "ミルタ" in Shift-JIS
        m_help->showContents(path);
        HelpViewer *viewer = shownViewer();
        QVERIFY(viewer);
        QCOMPARE(viewer->browser()->toPlainText(), message.arg(QDir::toNativeSeparators(path)));
    }

    void quitClosesTheViewer()
    {
        m_help->quit(); // help never asked for: nothing to close
        m_help->showContents(writeFile("a.hlp", "<p>one</p>"));
        QPointer<HelpViewer> viewer = shownViewer();
        QVERIFY(viewer);
        m_help->quit();
        QTRY_VERIFY(!viewer);
        m_help->quit();
    }

    // Escape and Return close the viewer, as OK closes the side windows; a
    // Return on a link that Tab chose follows it. The arrow keys move a caret.
    void keysCloseTheViewer_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("onALink");
        QTest::addColumn<bool>("open");
        QTest::newRow("Escape") << int(Qt::Key_Escape) << false << false;
        QTest::newRow("Return") << int(Qt::Key_Return) << false << false;
        QTest::newRow("Escape on a link") << int(Qt::Key_Escape) << true << false;
        QTest::newRow("Return on a link") << int(Qt::Key_Return) << true << true;
        QTest::newRow("Down") << int(Qt::Key_Down) << false << true;
    }
    void keysCloseTheViewer()
    {
        QFETCH(int, key);
        QFETCH(bool, onALink);
        QFETCH(bool, open);
        m_help->showContents(writeFile("links.hlp", "<p>one</p><p><a href=\"#two\">two</a></p><p id=\"two\">three</p>"));
        HelpViewer *viewer = shownViewer();
        QVERIFY(QTest::qWaitForWindowActive(viewer));
        QTextBrowser *browser = viewer->browser();
        if (onALink) {
            QTest::keyClick(browser, Qt::Key_Tab);
            QCOMPARE(browser->textCursor().selectedText(), QStringLiteral("two"));
            QTRY_COMPARE(viewer->findChild<SpokenNotice *>()->lastSaid(), QStringLiteral("two"));
        }
        QTest::keyClick(browser, Qt::Key(key));
        QCOMPARE(viewer->isVisible(), open);
        if (key == Qt::Key_Down)
            QCOMPARE(browser->textCursor().block().text(), QStringLiteral("two"));
        // A link followed: the caret, which a screen reader reads, goes along.
        if (open && onALink) {
            QTRY_COMPARE(browser->textCursor().block().text(), QStringLiteral("three"));
            QCOMPARE(viewer->findChild<SpokenNotice *>()->lastSaid(), QStringLiteral("three"));
        }
    }

    // A screen reader reads a table a row at a time: a key with what it does.
    void tablesAreReadByRows()
    {
        m_help->showContents(writeFile("table.hlp", "<p>keys</p><table><tr><td>F1</td><td>help</td></tr>"
                                                    "<tr><td>F2</td><td>a new race</td></tr></table><p>end</p>"));
        HelpViewer *viewer = shownViewer();
        QAccessibleTextInterface *text = QAccessible::queryAccessibleInterface(viewer->browser())->textInterface();
        QVERIFY(text);
        const QString plain = viewer->browser()->toPlainText();
        int start = 0, end = 0;
        for (const char *cell : {"F2", "a new race"})
            QCOMPARE(text->textAtOffset(int(plain.indexOf(cell)), QAccessible::LineBoundary, &start, &end),
                     QStringLiteral("F2 a new race"));
        QCOMPARE(text->textAtOffset(0, QAccessible::LineBoundary, &start, &end), QStringLiteral("keys"));
    }

    // The game's own help file covers every part of the game; so does the
    // English one, which holds no Japanese.
    void shippedHelpFile_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("topics");
        QTest::newRow("Japanese") << "milta100m.hlp" << "ミルタ100ｍ走 ヘルプ"
                                  << QStringList{"遊び方", "パッド", "時計", "ランキング", "走者", "リトライ"};
        QTest::newRow("English") << "milta100m_en.hlp" << "Milta 100m Dash Help"
                                 << QStringList{"How to play", "pad", "clock", "ranking", "runners", "Retry"};
    }
    void shippedHelpFile()
    {
        QFETCH(QString, file);
        QFETCH(QString, title);
        QFETCH(QStringList, topics);
        m_help->showContents(QStringLiteral(MILTA_DATA_DIR "/") + file);
        HelpViewer *viewer = shownViewer();
        QVERIFY(viewer);
        QCOMPARE(viewer->windowTitle(), title);
        const QString text = viewer->browser()->toPlainText();
        for (const QString &topic : topics)
            QVERIFY2(text.contains(topic), qPrintable(topic));
        if (file.contains("_en"))
            QVERIFY(!text.contains(JapaneseScript));
    }
};

QTEST_MAIN(TestHelp)
#include "tst_helpviewer.moc"
