#include <QtTest>

#include "ranking/nameentry.h"

namespace {

const QString limitHint = "名前は全角127文字、半角255文字までです";

QString leftOutHint(const QString &characters)
{
    return "「" + characters + "」は使えない文字です";
}

// A byte offset in UTF-8 from a character offset in text.
std::size_t utf8Offset(const QString &text, int characters)
{
    return text.first(characters).toUtf8().size();
}

} // namespace

class TestNameEntry : public QObject
{
    Q_OBJECT
private slots:
    // A change to the name box: the name before, the name after it with the
    // cursor just past what it put in; what is kept, where the cursor goes,
    // and the hint.
    void fitChange_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("cursor");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("nameCursor");
        QTest::addColumn<bool>("keptNothing");
        QTest::addColumn<QString>("hint");
        const QString a253(253, 'a'), a254(254, 'a');
        const QString a120(120, QChar(0x3042)), a127(127, QChar(0x3042));
        QTest::newRow("all of it fits") << "" << "大門" << 2 << "大門" << 2 << false << "";
        QTest::newRow("ascii up to the last byte") << a253 << a253 + "bcd" << 256 << a253 + "bc"
                                                  << 255 << false << limitHint;
        QTest::newRow("a double-byte character is never split")
            << a254 << a254 + "か" << 255 << a254 << 254 << true << limitHint;
        QTest::newRow("253 bytes and 大門 keep 大") << a253 << a253 + "大門" << 255 << a253 + "大"
                                                << 254 << false << limitHint;
        QTest::newRow("120 あ and 10 か keep 7 か")
            << a120 << a120 + QString(10, QChar(0x304B)) << 130
            << a120 + QString(7, QChar(0x304B)) << 127 << false << limitHint;
        QTest::newRow("130 あ into an empty box keep 127")
            << "" << QString(130, QChar(0x3042)) << 130 << a127 << 127 << false << limitHint;
        QTest::newRow("half-width kana take a byte each")
            << "" << QString(256, QChar(0xFF90)) << 256 << QString(255, QChar(0xFF90)) << 255 << false
            << limitHint;
        QTest::newRow("in the middle, what followed stays")
            << "ab" + QString(251, 'c') << "abXYZ" + QString(251, 'c') << 5
            << "abXY" + QString(251, 'c') << 4 << false << limitHint;
        // "a|b..." with "ba" put in after the "a": "abab...".
        QTest::newRow("the cursor tells where repeated letters went")
            << "a" + QString(253, 'b') << "aba" + QString(253, 'b') << 3
            << "a" + QString(254, 'b') << 2 << false << limitHint;
        QTest::newRow("a cursor that does not fit the change")
            << "x" << "x" + QString(300, 'y') << 0 << "x" + QString(254, 'y') << 255 << false
            << limitHint;
        QTest::newRow("variants in the form read back")
            << "" << "あ〜‖−—¢£¬" << 8 << "あ～∥－―￠￡￢" << 8 << false << "";
        QTest::newRow("yen and overline are refused")
            << "" << "¥100‾" << 5 << "100" << 3 << false << leftOutHint("¥‾");
        QTest::newRow("characters with no code page 932 form are named once")
            << "名" << "名大😀門𠮷😀한" << 10 << "名大門" << 3 << false << leftOutHint("😀𠮷한");
        // 𠮷 is a surrogate pair: the byte budget counts what is kept.
        QTest::newRow("at the limit, a left-out character takes no room")
            << a253 << a253 + "𠮷bc" << 257 << a253 + "bc" << 255 << false << leftOutHint("𠮷");
        QTest::newRow("both hints") << a254 << a254 + "😀か" << 257 << a254 << 254 << true
                                    << leftOutHint("😀") + "　" + limitHint;
        QTest::newRow("a pasted text keeps its first line")
            << "" << "one\r\ntwo" << 8 << "one" << 3 << false << "";
        QTest::newRow("a line break alone is no name") << "x" << "x\n" << 2 << "x" << 1 << true << "";
        QTest::newRow("a nul ends it too") << "" << QString("ab") + QChar(0) + "c" << 4 << "ab" << 2
                                           << false << "";
    }
    void fitChange()
    {
        QFETCH(QString, before);
        QFETCH(QString, after);
        QFETCH(int, cursor);
        QFETCH(QString, name);
        QFETCH(int, nameCursor);
        QFETCH(bool, keptNothing);
        QFETCH(QString, hint);
        const FittedName fitted = fitRankingNameChange(before.toStdString(), after.toStdString(),
                                                       utf8Offset(after, cursor));
        QCOMPARE(QString::fromStdString(fitted.name), name);
        QVERIFY(isStorableRankingName(fitted.name));
        QCOMPARE(fitted.cursor, utf8Offset(name, nameCursor));
        QCOMPARE(fitted.keptNothing, keptNothing);
        QCOMPARE(QString::fromStdString(rankingNameHint(fitted)), hint);
    }
};

QTEST_APPLESS_MAIN(TestNameEntry)
#include "tst_nameentry.moc"
