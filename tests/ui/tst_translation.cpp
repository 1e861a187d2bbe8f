#include "japanesescript.h"
#include "racescreen.h"
#include "ui/controls.h"
#include "ui/namedialog.h"
#include "ui/rankingwindow.h"
#include "ui/translation.h"
#include "ui/versionwindow.h"

#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTest>
#include <QTranslator>

// The game in another language: which translation a locale gets, and that
// the English words fit the boxes the windows were designed with.
class TestTranslation : public QObject, RaceScreenFixture
{
    Q_OBJECT

    QTranslator m_english;

    // Where a control stands in its window.
    static QRect inWindow(const QWidget *control)
    {
        return QRect(control->mapTo(control->window(), QPoint()), control->size());
    }

private slots:
    void languageOfTheLocale_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("language");
        QTest::newRow("English") << QLocale("en_US") << "en";
        QTest::newRow("British English") << QLocale("en_GB") << "en";
        QTest::newRow("Japanese") << QLocale("ja_JP") << "";
        QTest::newRow("C") << QLocale::c() << "";
        QTest::newRow("a language without a translation") << QLocale("de_DE") << "";
    }
    void languageOfTheLocale()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, language);
        {
            QTranslator translator;
            QCOMPARE(installTranslation(translator, locale), language);
            QCOMPARE(QCoreApplication::translate("RaceWindow", "リトライ"), language.isEmpty() ? "リトライ" : "Retry");
        }
        QCOMPARE(QCoreApplication::translate("RaceWindow", "リトライ"), QString("リトライ"));
    }

    // From here on the game speaks English.
    void cleanup() { closeRaceScreen(); }

    void englishFromHereOn() { QCOMPARE(installTranslation(m_english, QLocale("en_US")), QString("en")); }

    // Each caption in the game's font, IPAPGothic, stays within the box the
    // layout gave it: a null box is the whole window.
    void captionsFitTheirBoxes_data()
    {
        QTest::addColumn<QString>("windowName");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QRect>("box");
        QTest::newRow("the clock") << "race" << "Label1" << QRect();
        QTest::newRow("the goal's words") << "race" << "Label3" << QRect();
        QTest::newRow("the ranking's title") << "ranking" << "Label1" << QRect();
        // A place stays left of the row's name.
        for (int k = 0; k < 10; ++k)
            QTest::addRow("place %d", k + 1) << "ranking" << QString("Label%1").arg(2 + k) << QRect(16, 0, 72, 408);
        // The title stays inside its sunken frame.
        QTest::newRow("the version window's title") << "version" << "Label1" << QRect(49, 25, 199, 35);
        QTest::newRow("the version") << "version" << "Label2" << QRect();
    }
    void captionsFitTheirBoxes()
    {
        QFETCH(QString, windowName);
        QFETCH(QString, label);
        QFETCH(QRect, box);
        openRaceScreen();
        RankingWindow ranking(window.get());
        VersionWindow version(window.get());
        QWidget *shown = windowName == "race" ? static_cast<QWidget *>(window.get())
                         : windowName == "ranking" ? static_cast<QWidget *>(&ranking)
                                                   : &version;
        const auto *caption = shown->findChild<TextLabel *>(label);
        QVERIFY(caption);
        const QString english = caption->text();
        QVERIFY2(!english.contains(JapaneseScript),
                 qPrintable(english));
        QCOMPARE(caption->font().family(), QString("IPAPGothic"));
        const QRect designed = box.isNull() ? shown->rect() : box;
        QVERIFY2(designed.contains(inWindow(caption)),
                 qPrintable(QString("%1 takes %2 pixels from x = %3; its box ends at x = %4")
                                .arg(english).arg(caption->width()).arg(inWindow(caption).x()).arg(designed.right())));
    }

    // The name dialog's prompt for every place fits the dialog, its buttons
    // their captions.
    void nameDialogFits()
    {
        for (int place = 1; place <= 10; ++place) {
            RankingNameDialog dialog(place);
            QCOMPARE(dialog.windowTitle(), QString("Ranking Name Entry"));
            for (const QLabel *prompt : dialog.findChildren<QLabel *>()) {
                if (prompt->text().isEmpty())
                    continue;
                QVERIFY(prompt->text().startsWith("You are "));
                QVERIFY2(dialog.rect().contains(prompt->geometry()), qPrintable(prompt->text()));
            }
            for (const QPushButton *button : dialog.findChildren<QPushButton *>())
                QVERIFY2(button->fontMetrics().horizontalAdvance(button->text()) < button->width() - 8,
                         qPrintable(button->text()));
        }
    }
};

QTEST_MAIN(TestTranslation)
#include "tst_translation.moc"
