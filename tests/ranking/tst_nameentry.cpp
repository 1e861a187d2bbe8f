#include <QtTest>

#include "core/cp932.h"
#include "ranking/nameentry.h"

namespace {

// What the hint under the name box tells of a change (the window layer
// words it): the characters left out, and that the name reached its limit.
const QString limitHint = "limit";

QString leftOutHint(const QString &characters)
{
    return "left out " + characters;
}

QString hintOf(const FittedName &fitted)
{
    QStringList parts;
    if (!fitted.leftOut.empty())
        parts << leftOutHint(QString::fromStdString(fitted.leftOut));
    if (fitted.cutAtLimit)
        parts << limitHint;
    return parts.join(", ");
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
                                    << leftOutHint("😀") + ", " + limitHint;
        QTest::newRow("a pasted text keeps its first line")
            << "" << "one\r\ntwo" << 8 << "one" << 3 << false << "";
        QTest::newRow("a line break alone is no name") << "x" << "x\n" << 2 << "x" << 1 << true << "";
        QTest::newRow("a nul ends it too") << "" << QString("ab") + QChar(0) + "c" << 4 << "ab" << 2
                                           << false << "";
        // A character the code page holds stays as it was typed, though
        // Unicode's composed form (NFC) would replace it: 塚 晴 朗 of the
        // compatibility block (FA9C, FAD8, FAE0), Å the angstrom sign (81F0).
        QTest::newRow("variant kanji stay as typed")
            << "" << "\uFA10本\uFA12美\uF929" << 5 << "\uFA10本\uFA12美\uF929" << 5 << false << "";
        QTest::newRow("the angstrom sign stays") << "" << "\u212B" << 1 << "\u212B" << 1 << false << "";
        // Only what the code page cannot hold as typed is composed: into the
        // character of the code page it is canonically the same as.
        QTest::newRow("a kana and its voicing mark are one kana")
            << "x" << "xか\u3099き\u3099" << 5 << "xがぎ" << 3 << false << "";
        QTest::newRow("a voicing mark typed after its kana joins it")
            << "か" << "か\u3099" << 2 << "が" << 1 << false << "";
        QTest::newRow("a compatibility ideograph the code page lacks is its unified one")
            << "" << "\uF900" << 1 << "\u8C48" << 1 << false << "";
        QTest::newRow("a mark nothing takes is left out, its kana kept")
            << "" << "が\u3099\u0301" << 3 << "が" << 1 << false << leftOutHint("\u3099\u0301");
        QTest::newRow("a mark alone is left out") << "" << "\u3099" << 1 << "" << 0 << true << leftOutHint("\u3099");
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
        QCOMPARE(hintOf(fitted), hint);
    }

    // Every character code page 932 encodes: typed into the name box as it
    // is, it is kept as it is, saved and read back as the same character.
    // Typed decomposed (a kana and its voicing mark), or in Unicode's
    // composed form where the code page lacks that form (Å U+00C5 for the
    // angstrom sign), it is kept as the code page's character. A code the
    // code page has twice (the NEC-selected and IBM rows) need only read back
    // as its character. A row for each lead byte, one for the single bytes.
    void everyCharacterOfTheCodePage_data()
    {
        QTest::addColumn<int>("lead"); // 0: the single bytes
        QTest::newRow("single bytes") << 0;
        for (int lead = 0x81; lead <= 0xFC; ++lead)
            if (isCp932LeadByte(static_cast<unsigned char>(lead)))
                QTest::addRow("lead %02X", lead) << lead;
    }
    void everyCharacterOfTheCodePage()
    {
        QFETCH(int, lead);
        QStringList wrong;
        int characters = 0;
        // typed: what the player types; meant: the character it stands for.
        const auto check = [&](const QString &code, const QString &how, const QString &typed, const QString &meant) {
            const std::string utf8 = typed.toStdString();
            const FittedName fitted = fitRankingNameChange("", utf8, utf8.size());
            const std::optional<std::string> saved = utf8ToCp932(fitted.name);
            const std::optional<std::string> readBack = saved ? cp932ToUtf8(*saved) : std::nullopt;
            if (QString::fromStdString(fitted.name) != meant || !readBack || QString::fromStdString(*readBack) != meant
                || !hintOf(fitted).isEmpty())
                wrong << QStringLiteral("%1 %2 %3: kept as %4%5").arg(code, how, typed,
                                                                      QString::fromStdString(fitted.name),
                                                                      readBack ? "" : " (not storable)");
        };
        for (int second = 0; second <= 0xFF; ++second) {
            std::string bytes;
            if (lead)
                bytes += char(lead);
            bytes += char(second);
            const std::optional<std::string> decoded = cp932ToUtf8(bytes);
            if (!decoded)
                continue;
            const QString character = QString::fromStdString(*decoded);
            // A line break or NUL would end the line: never part of a name.
            if (character == "\r" || character == "\n" || character == QChar(0))
                continue;
            QCOMPARE(character.toUcs4().size(), 1);
            ++characters;
            const QString code = QString::fromLatin1(QByteArray::fromStdString(bytes).toHex().toUpper());
            check(code, "as typed", character, character);
            const QString decomposed = character.normalized(QString::NormalizationForm_D);
            if (decomposed.toUcs4().size() > 1)
                check(code, "decomposed", decomposed, character);
            const QString composed = character.normalized(QString::NormalizationForm_C);
            if (composed != character && !utf8ToCp932(composed.toStdString()))
                check(code, "composed", composed, character);
        }
        QVERIFY2(wrong.isEmpty(), qPrintable(QString::number(wrong.size()) + " wrong: " + wrong.mid(0, 12).join("; ")));
        // ASCII but for NUL, CR and LF, and the 63 half-width katakana.
        if (!lead)
            QCOMPARE(characters, 128 - 3 + 63);
    }
};

QTEST_APPLESS_MAIN(TestNameEntry)
#include "tst_nameentry.moc"
