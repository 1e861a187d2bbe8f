#include "core/errortext.h"

#include <QTest>

class TestErrorText : public QObject
{
    Q_OBJECT
private slots:
    // The ordinary box adds "." after a last character that sorts after ".";
    // the fatal box after any last byte but ".".
    void period_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("ordinary");
        QTest::addColumn<QString>("fatal");
        QTest::newRow("ends in kanji") << "ファイル rank.mlt は開けません" << "ファイル rank.mlt は開けません."
                                       << "ファイル rank.mlt は開けません.";
        QTest::newRow("ends in a letter") << "abc" << "abc." << "abc.";
        QTest::newRow("ends in a digit") << "code 7" << "code 7." << "code 7.";
        QTest::newRow("ends in a bracket") << "failed (3)" << "failed (3)" << "failed (3).";
        QTest::newRow("ends in a period") << "done." << "done." << "done.";
        QTest::newRow("ends in a space") << "trailing " << "trailing " << "trailing .";
        QTest::newRow("ends in a slash") << "a/" << "a/." << "a/.";
        QTest::newRow("ends in a minus") << "a-" << "a-" << "a-.";
        QTest::newRow("empty") << "" << "" << "";
        QTest::newRow("full-width digit") << "１位" << "１位." << "１位.";
        QTest::newRow("full-width period") << "終わり．" << "終わり．." << "終わり．.";
    }
    void period()
    {
        QFETCH(QString, message);
        QFETCH(QString, ordinary);
        QFETCH(QString, fatal);
        const std::string bytes = message.toStdString();
        QCOMPARE(QString::fromStdString(withFinalPeriod(bytes)), ordinary);
        const int object = 0;
        const QString fatalBox = QString::fromStdString(fatalErrorText("E", "m", &object, bytes));
        QCOMPARE(fatalBox.section('\n', 1), fatal);
    }

    void title_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("title");
        QTest::newRow("upper case with extension") << "C:\\GAMES\\RACE.EXE" << "Race";
        QTest::newRow("first dot ends it") << "C:\\my.game.exe" << "My";
        QTest::newRow("unix path") << "/usr/games/milta100m" << "Milta100m";
        QTest::newRow("dot in the directory") << "/opt/v1.2/RUN" << "Run";
        QTest::newRow("no directory") << "GAME" << "Game";
        QTest::newRow("japanese name") << "/g/ミルタ.exe" << "ミルタ";
        QTest::newRow("leading dot") << "/tmp/.hidden" << "";
    }
    void title()
    {
        QFETCH(QString, path);
        QFETCH(QString, title);
        QCOMPARE(QString::fromStdString(applicationTitle(path.toStdString())), title);
    }

    void helpFile_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("help");
        QTest::newRow("extension replaced") << "C:\\GAMES\\RUN100.EXE" << "C:\\GAMES\\RUN100.hlp";
        QTest::newRow("dot in a directory") << "C:\\MY.DIR\\RUN" << "C:\\MY.DIR\\RUN.hlp";
        QTest::newRow("drive only") << "C:RUN" << "C:RUN.hlp";
        QTest::newRow("unix program") << "/usr/games/milta100m" << "/usr/games/milta100m.hlp";
        QTest::newRow("unix dot in a directory") << "/home/a.b/run" << "/home/a.b/run.hlp";
        QTest::newRow("unix extension") << "/opt/game/RUN.bin" << "/opt/game/RUN.hlp";
        QTest::newRow("last dot only") << "/opt/x.tar.gz" << "/opt/x.tar.hlp";
    }
    void helpFile()
    {
        QFETCH(QString, program);
        QFETCH(QString, help);
        QCOMPARE(QString::fromStdString(helpFileName(program.toStdString())), help);
    }

    // The help in another language lies beside the game's own.
    void helpFileInALanguage_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("help");
        QTest::newRow("unix program") << "/usr/games/milta100m" << "/usr/games/milta100m_en.hlp";
        QTest::newRow("extension replaced") << "C:\\GAMES\\RUN100.EXE" << "C:\\GAMES\\RUN100_en.hlp";
    }
    void helpFileInALanguage()
    {
        QFETCH(QString, program);
        QFETCH(QString, help);
        QCOMPARE(QString::fromStdString(helpFileName(program.toStdString(), "en")), help);
    }

    void fatalText()
    {
        const int object = 0;
        const std::string text = fatalErrorText("EMCIDeviceError", "milta100m", &object, "ファイルがありません");
        const QString shown = QString::fromStdString(text);
        QVERIFY2(shown.startsWith("Exception EMCIDeviceError in module milta100m at "), qPrintable(shown));
        QVERIFY(shown.endsWith(".\nファイルがありません."));
        const QString location = shown.section(" at ", 1).left(8);
        bool hex = false;
        location.toUInt(&hex, 16);
        QVERIFY2(hex, qPrintable(location));
    }
};

QTEST_APPLESS_MAIN(TestErrorText)
#include "tst_errortext.moc"
