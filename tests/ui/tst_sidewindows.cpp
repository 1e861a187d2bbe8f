#include "core/exception.h"
#include "racescreen.h"
#include "ui/tform2.h"
#include "ui/tform3.h"

#include <QFile>
#include <QTest>

// The ranking as the player reads it, and the two side windows.
class TestSideWindows : public QObject, RaceScreenFixture
{
    Q_OBJECT

    std::unique_ptr<TForm2> ranking;
    std::unique_ptr<TForm3> version;

    void writeRankingFile(const QByteArray &bytes)
    {
        QFile file(folder->filePath("rank.mlt"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

private slots:
    void init()
    {
        openRaceScreen();
        ranking = std::make_unique<TForm2>(form.get());
        version = std::make_unique<TForm3>(form.get());
        form->Form2 = ranking.get();
        form->Form3 = version.get();
    }
    void cleanup()
    {
        version.reset();
        ranking.reset();
        closeRaceScreen();
    }

    void builtInTableWithoutAFile()
    {
        try {
            form->FormCreate();
            QFAIL("no error without rank.mlt");
        } catch (const EFOpenError &error) {
            QCOMPARE(QString::fromUtf8(error.what()), QString("ファイル rank.mlt は開けません"));
        }
        form->Image28Click();
        QVERIFY(ranking->isVisible());
        for (int k = 0; k < 10; ++k) {
            QCOMPARE(ranking->nameLabels()[k]->caption(), QString("名前なし"));
            QCOMPARE(ranking->timeLabels()[k]->caption(), QString("50.0秒"));
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
        for (int k = 0; k < 10; ++k)
            file += QByteArray::number(seconds[k].toInt() * 10 + tenths[k].toInt()) + "\r\n";
        writeRankingFile(file);
        form->FormCreate();
        form->Image28Click();
        QCOMPARE(ranking->Label12->caption(), QString("<b>Bold</b>"));
        QCOMPARE(ranking->Label13->caption(), QString());
        QCOMPARE(ranking->Label14->caption(), QString("名前なし"));
        QCOMPARE(ranking->Label22->caption(), QString("12.3秒"));
        QCOMPARE(ranking->Label23->caption(), QString("13.0秒"));
    }

    void aFinishWhileTheWindowIsOpenShowsOnTheNextClick()
    {
        form->Image28Click();
        strides(80);
        acceptTheName();
        form->Timer1Timer();
        QCOMPARE(ranking->Label22->caption(), QString("50.0秒"));
        form->Image28Click();
        QCOMPARE(ranking->Label22->caption(), QString("0.1秒"));
        QCOMPARE(ranking->Label12->caption(), QString("名前なし"));
        QCOMPARE(ranking->Label23->caption(), QString("50.0秒"));
        QVERIFY(QFile::exists(folder->filePath("rank.mlt")));
    }

    void okAndCloseBoxHide()
    {
        form->Image28Click();
        emit ranking->Image1->clicked();
        QVERIFY(!ranking->isVisible());
        form->Image28Click();
        QVERIFY(ranking->isVisible());
        ranking->close();
        QVERIFY(!ranking->isVisible());
        form->Image28Click();
        QVERIFY(ranking->isVisible());

        form->Image30Click();
        QVERIFY(version->isVisible());
        form->Image30Click();
        QVERIFY(version->isVisible());
        emit version->Image1->clicked();
        QVERIFY(!version->isVisible());
        form->Image30Click();
        version->close();
        QVERIFY(!version->isVisible());
    }

    void minimisingTakesTheSideWindowsAlong()
    {
        form->show();
        form->Image30Click();
        form->setWindowState(Qt::WindowMinimized);
        QVERIFY(!version->isVisible());
        QVERIFY(!ranking->isVisible());
        form->setWindowState(Qt::WindowNoState);
        QVERIFY(version->isVisible());
        QVERIFY(!ranking->isVisible());
    }
};

QTEST_MAIN(TestSideWindows)
#include "tst_sidewindows.moc"
