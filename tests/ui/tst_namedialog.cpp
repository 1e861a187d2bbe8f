#include <QtTest>

#include <QAccessible>

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include "core/cp932.h"
#include "ui/accessibility.h"
#include "ui/desktop.h"
#include "ui/messages.h"
#include "ui/namedialog.h"
#include "ranking/nameentry.h"

using Bytes = QByteArray;

namespace {

const Bytes noName("\x96\xBC\x91\x4F\x82\xC8\x82\xB5");

// A commit by the input method; a change the box had to adjust is made
// once the event loop turns.
void type(QLineEdit *edit, const QString &text)
{
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(edit, &event);
    QCoreApplication::processEvents();
}

QPushButton *button(QDialog *dialog, const QString &text)
{
    for (QPushButton *button : dialog->findChildren<QPushButton *>())
        if (button->text() == text)
            return button;
    return nullptr;
}

// Runs askRankingName while a timer drives the dialog once it is open. A
// dialog that the driving left open is closed, and reported.
Bytes ask(int place, const std::function<void(RankingNameDialog *)> &drive, bool *leftOpen)
{
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto *dialog = qobject_cast<RankingNameDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        timer.stop();
        drive(dialog);
        *leftOpen = dialog->isVisible();
        if (*leftOpen)
            dialog->reject();
    });
    timer.start();
    return Bytes::fromStdString(askRankingName(place));
}

} // namespace

class TestNameDialog : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { installAccessibleInterfaces(); }

    void prompt_data()
    {
        QTest::addColumn<int>("place");
        QTest::addColumn<QString>("prompt");
        QTest::newRow("first") << 1 << "１位です。名前を入力して下さい。";
        QTest::newRow("ninth") << 9 << "９位です。名前を入力して下さい。";
        QTest::newRow("tenth") << 10 << "10位です。名前を入力して下さい。";
    }
    void prompt()
    {
        QFETCH(int, place);
        QFETCH(QString, prompt);
        QCOMPARE(rankingPrompt(place), prompt);
    }

    // The hint under the box for what a change could not keep.
    void hint_data()
    {
        QTest::addColumn<QString>("leftOut");
        QTest::addColumn<bool>("cutAtLimit");
        QTest::addColumn<QString>("hint");
        const QString limit = "名前は全角127文字、半角255文字までです";
        QTest::newRow("everything kept") << "" << false << "";
        QTest::newRow("left out") << "😀𠮷" << false << "「😀𠮷」は使えない文字です";
        QTest::newRow("cut at the limit") << "" << true << limit;
        QTest::newRow("both") << "é" << true << "「é」は使えない文字です　" + limit;
    }
    void hint()
    {
        QFETCH(QString, leftOut);
        QFETCH(bool, cutAtLimit);
        QFETCH(QString, hint);
        QCOMPARE(rankingNameHint(FittedName{.leftOut = leftOut.toStdString(), .cutAtLimit = cutAtLimit}), hint);
    }

    void dialogUnits()
    {
        // 8 px average letters and a 13 px font: the classic 180 x 63 box.
        const DialogUnits du{averageLetterWidth(8 * 52 - 20), 13};
        QCOMPARE(du.averageCharWidth, 8);
        QCOMPARE(du.x(180), 360);
        QCOMPARE(du.y(63), 102);
        QCOMPARE(du.y(41), 67);
        QCOMPARE(du.x(38), 76);
    }

    // The validator alone: the name before, the text after a change with
    // the cursor; what it lets in, as it is or adjusted (nothing: refused),
    // and where the cursor goes.
    void validator_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("pos");
        QTest::addColumn<QString>("result");
        QTest::addColumn<int>("resultPos");
        QTest::newRow("256 ascii bytes") << "" << QString(256, 'a') << 256 << QString(255, 'a') << 255;
        QTest::newRow("a surrogate pair left out, the cursor after what was kept")
            << "ab" << "a𠮷xb" << 4 << "axb" << 2;
        QTest::newRow("jis wave dash") << "" << "〜" << 1 << "～" << 1;
        QTest::newRow("hangul") << "" << "한" << 1 << QString() << 0;
        QTest::newRow("lone surrogate") << "" << QString(QChar(0xD800)) << 1 << QString() << 0;
        QTest::newRow("a half pair cut off is left out") << "" << "ab" + QString(QChar(0xD83D)) << 3 << "ab" << 2;
        QTest::newRow("decomposed kana are composed")
            << "x" << QString::fromUtf8("xか\u3099き\u3099") << 5 << "xがぎ" << 3;
        QTest::newRow("a name as it stands") << "" << "ミルタ" << 3 << "ミルタ" << 3;
        // Characters the code page holds as typed, which Unicode's composed
        // form would replace: variant kanji, the angstrom sign.
        QTest::newRow("variant kanji stay as typed")
            << "" << QString::fromUtf8("\uFA10本\uFA12美\uF929") << 5 << QString::fromUtf8("\uFA10本\uFA12美\uF929") << 5;
        QTest::newRow("the angstrom sign stays") << "" << QString::fromUtf8("\u212B") << 1 << QString::fromUtf8("\u212B")
                                                 << 1;
    }
    void validator()
    {
        QFETCH(QString, before);
        QFETCH(QString, text);
        QFETCH(int, pos);
        QFETCH(QString, result);
        QFETCH(int, resultPos);
        RankingNameValidator validator(before);
        QString fitted;
        int fittedPos = -1;
        connect(&validator, &RankingNameValidator::changeFitted, [&](const QString &name, int cursor) {
            fitted = name;
            fittedPos = cursor;
        });
        const QValidator::State state = validator.validate(text, pos);
        if (state == QValidator::Acceptable) {
            QVERIFY(fitted.isNull());
            fitted = text;
            fittedPos = pos;
        }
        QCOMPARE(fitted, result);
        if (!result.isNull())
            QCOMPARE(fittedPos, resultPos);
    }

    // The name box as the player uses it: the default selected, or a name
    // with the cursor at its end; then a composition committed by the input
    // method, a commit alone, a key or a paste.
    void edit_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("typing");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("hint");
        const QString limit(255, 'a');
        QTest::newRow("130 あ composed over the default keep 127")
            << "" << "compose" << QString(130, QChar(0x3042)) << QString(127, QChar(0x3042)) << true;
        QTest::newRow("a commit at the limit keeps what fits")
            << QString(253, 'a') << "commit" << "大門" << QString(253, 'a') + "大" << true;
        QTest::newRow("a wave dash shows as it will read back") << "" << "compose" << "あ〜" << "あ～"
                                                               << false;
        QTest::newRow("an emoji is left out, the rest kept") << "" << "compose" << "大😀門" << "大門"
                                                            << true;
        QTest::newRow("nothing storable leaves the default")
            << "" << "commit" << "😀" << "名前なし" << true;
        QTest::newRow("a key at the limit") << limit << "key" << "b" << limit << true;
        QTest::newRow("a paste is cut at the limit") << "" << "paste" << QString(300, 'x')
                                                     << QString(255, 'x') << true;
        QTest::newRow("a paste keeps its first line") << "" << "paste" << "one\ntwo" << "one" << false;
        QTest::newRow("a pasted kana keeps its voicing mark")
            << "" << "paste" << QString::fromUtf8("か\u3099") << "が" << false;
        // The box keeps 32767 UTF-16 units, and cuts the pair in two.
        QTest::newRow("a paste cut inside a surrogate pair")
            << "" << "paste" << QString(32766, 'x') + "😀" << QString(255, 'x') << true;
        QTest::newRow("undo takes back a paste that was cut") << "" << "paste, undo" << QString(300, 'x')
                                                              << "名前なし" << false;
        QTest::newRow("undo takes back a commit that was adjusted") << "ab" << "commit, undo" << "〜"
                                                                    << "ab" << false;
    }
    void edit()
    {
        QFETCH(QString, start);
        QFETCH(QString, typing);
        QFETCH(QString, text);
        QFETCH(QString, name);
        QFETCH(bool, hint);
        RankingNameDialog dialog(1);
        auto *edit = dialog.findChild<QLineEdit *>();
        if (!start.isEmpty())
            edit->setText(start);
        if (typing == "compose") {
            // The composition replaces the selected default before the commit.
            QInputMethodEvent composing(text, {});
            QApplication::sendEvent(edit, &composing);
            QCOMPARE(edit->text(), QString());
        }
        if (typing == "compose" || typing.startsWith("commit"))
            type(edit, text);
        else if (typing == "key")
            QTest::keyClicks(edit, text);
        else if (typing.startsWith("paste")) {
            QGuiApplication::clipboard()->setText(text);
            edit->paste();
            QCoreApplication::processEvents();
        }
        if (typing.endsWith("undo")) {
            QVERIFY(edit->text() != name);
            edit->undo();
        }
        QCOMPARE(edit->text(), name);
        QCOMPARE(!dialog.findChild<QLabel *>("hint")->text().isEmpty(), hint);
        // A screen reader is told the hint whole as it appears.
        if (hint)
            QVERIFY(!dialog.findChild<SpokenNotice *>()->lastSaid().isEmpty());
    }

    void layout()
    {
        RankingNameDialog dialog(3);
        QCOMPARE(dialog.windowTitle(), "ランキング名前入力");
        auto *prompt = dialog.findChild<QLabel *>();
        QCOMPARE(prompt->text(), "３位です。名前を入力して下さい。");
        QCOMPARE(prompt->textFormat(), Qt::PlainText);
        auto *edit = dialog.findChild<QLineEdit *>();
        QCOMPARE(edit->text(), "名前なし");
        QCOMPARE(edit->selectedText(), "名前なし");
        QPushButton *ok = button(&dialog, "OK");
        QPushButton *cancel = button(&dialog, "キャンセル");
        QVERIFY(ok && cancel && ok->isDefault());
        QCOMPARE(ok->y(), cancel->y());
        QCOMPARE(ok->size(), cancel->size());
        QVERIFY(ok->geometry().right() < cancel->x());
        QVERIFY(prompt->y() < edit->y() && edit->geometry().bottom() < ok->y());
        QVERIFY(cancel->geometry().right() < dialog.width());
        // The hint fits between the box and the buttons, as wide as the box.
        auto *hint = dialog.findChild<QLabel *>("hint");
        QVERIFY(edit->geometry().bottom() < hint->y() && hint->geometry().bottom() < ok->y());
        QCOMPARE(hint->width(), edit->width());
        QVERIFY(hint->height() >= hint->fontMetrics().height());
        QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
        const QPoint off = dialog.geometry().center() - dialog.screen()->geometry().center();
        QVERIFY2(off.manhattanLength() <= 2, "not centred on the screen");
    }

    // The box as a screen reader reads it: the default name whole, as one
    // run of text (Orca reads a line run by run); and an edit it asks for is
    // checked as typing is.
    void accessibleBox()
    {
        RankingNameDialog dialog(1);
        auto *edit = dialog.findChild<QLineEdit *>();
        QAccessibleInterface *box = QAccessible::queryAccessibleInterface(edit);
        QAccessibleTextInterface *text = box->textInterface();
        int start = -1;
        int end = -1;
        text->attributes(3, &start, &end);
        QCOMPARE(text->text(start, end), "名前なし");
        text->selection(0, &start, &end);
        QCOMPARE(text->text(start, end), "名前なし");
        box->editableTextInterface()->replaceText(0, 4, QString::fromUtf8("😀"));
        QCOMPARE(edit->text(), "名前なし");
        QVERIFY(!dialog.findChild<QLabel *>("hint")->text().isEmpty());
        box->setText(QAccessible::Value, "Orca");
        QCOMPARE(edit->text(), "Orca");
    }

    void answer_data()
    {
        QTest::addColumn<QString>("typed"); // committed by the input method
        QTest::addColumn<QString>("action");
        QTest::addColumn<Bytes>("name");
        const Bytes miruta = QByteArray::fromStdString(*utf8ToCp932("ミルタ"));
        QTest::newRow("OK keeps the default") << "" << "click OK" << noName;
        QTest::newRow("typing replaces the default, Enter") << "ミルタ" << "Enter" << miruta;
        QTest::newRow("typing then OK") << "ミルタ" << "click OK" << miruta;
        QTest::newRow("emptied then OK gives an empty name") << "" << "clear, click OK" << Bytes();
        QTest::newRow("cancel") << "ミルタ" << "click キャンセル" << noName;
        QTest::newRow("Esc") << "ミルタ" << "Esc" << noName;
        QTest::newRow("close box") << "ミルタ" << "close" << noName;
        QTest::newRow("a character the file cannot hold is refused") << "한" << "Enter" << noName;
        QTest::newRow("a wave dash is stored as the platform stores it")
            << "あ〜" << "Enter" << Bytes("\x82\xA0\x81\x60");
    }
    void answer()
    {
        QFETCH(QString, typed);
        QFETCH(QString, action);
        QFETCH(Bytes, name);
        bool leftOpen = false;
        const Bytes answer = ask(4, [&](RankingNameDialog *dialog) {
            auto *edit = dialog->findChild<QLineEdit *>();
            if (!typed.isEmpty())
                type(edit, typed);
            if (action.startsWith("clear")) {
                edit->selectAll();
                QTest::keyClick(edit, Qt::Key_Backspace);
            }
            if (action.endsWith("click OK"))
                button(dialog, "OK")->click();
            else if (action == "click キャンセル")
                button(dialog, "キャンセル")->click();
            else if (action == "Enter")
                QTest::keyClick(edit, Qt::Key_Return);
            else if (action == "Esc")
                QTest::keyClick(edit, Qt::Key_Escape);
            else if (action == "close")
                dialog->close();
        }, &leftOpen);
        QVERIFY(!leftOpen);
        QCOMPARE(answer, name);
    }

    void programEndsWhileOpen()
    {
        QTimer driver;
        driver.setInterval(10);
        bool stuck = false;
        connect(&driver, &QTimer::timeout, [&] {
            auto *dialog = qobject_cast<RankingNameDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            driver.stop();
            type(dialog->findChild<QLineEdit *>(), "ミルタ");
            QCoreApplication::quit();
            // Should the dialog survive the quit, end it rather than hang.
            QTimer::singleShot(2000, dialog, [&stuck, dialog] {
                stuck = true;
                dialog->accept();
            });
        });
        driver.start();
        // Ending the program ends its event loop, so run the dialog in one.
        Bytes answer;
        QTimer::singleShot(0, [&answer] {
            answer = Bytes::fromStdString(askRankingName(1));
            QCoreApplication::exit();
        });
        QApplication::exec();
        QCOMPARE(answer, noName);
        QVERIFY(!stuck);
    }

    // A name dialog minimised with the race screen blocked behind it comes
    // back, active, as soon as another of the game's windows is, and still
    // answers the player's name.
    void minimisedDialogComesBack()
    {
        QWidget raceScreen;
        raceScreen.show();
        QVERIFY(QTest::qWaitForWindowActive(&raceScreen));
        bool cameBack = false;
        bool leftOpen = true;
        const Bytes answer = ask(1, [&](RankingNameDialog *dialog) {
            QVERIFY(QTest::qWaitForWindowActive(dialog));
            dialog->showMinimized();
            raceScreen.activateWindow();
            cameBack = QTest::qWaitFor([dialog] { return !dialog->isMinimized() && dialog->isActiveWindow(); });
            type(dialog->findChild<QLineEdit *>(), "ミルタ");
            button(dialog, "OK")->click();
        }, &leftOpen);
        QVERIFY(cameBack);
        QVERIFY(!leftOpen);
        QCOMPARE(answer, Bytes::fromStdString(*utf8ToCp932("ミルタ")));
    }
};

QTEST_MAIN(TestNameDialog)
#include "tst_namedialog.moc"
