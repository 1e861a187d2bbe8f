#include <QtTest>

#include "core/cp932.h"

using Bytes = QByteArray;

class TestCp932 : public QObject
{
    Q_OBJECT
private slots:
    void encode_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("holds");
        QTest::addColumn<Bytes>("bytes");
        QTest::newRow("ascii") << "Abc 123" << true << Bytes("Abc 123");
        QTest::newRow("kanji and kana") << "名前なし" << true << Bytes("\x96\xBC\x91\x4F\x82\xC8\x82\xB5");
        QTest::newRow("half-width kana") << "ﾐﾙﾀ" << true << Bytes("\xD0\xD9\xC0");
        QTest::newRow("microsoft wave dash") << "～" << true << Bytes("\x81\x60");
        QTest::newRow("circled digit") << "①" << true << Bytes("\x87\x40");
        QTest::newRow("empty") << "" << true << Bytes();
        QTest::newRow("yen reads back as backslash") << "¥" << false << Bytes();
        QTest::newRow("jis wave dash reads back as another") << "〜" << false << Bytes();
        QTest::newRow("hangul") << "한" << false << Bytes();
        QTest::newRow("emoji after kanji") << "名😀" << false << Bytes();
    }
    void encode()
    {
        QFETCH(QString, text);
        QFETCH(bool, holds);
        QFETCH(Bytes, bytes);
        const std::optional<std::string> result = utf8ToCp932(text.toStdString());
        QCOMPARE(result.has_value(), holds);
        if (holds)
            QCOMPARE(Bytes::fromStdString(*result), bytes);
    }

    void encodeRejectsBrokenUtf8()
    {
        QVERIFY(!utf8ToCp932("a\xFF").has_value());
    }

    // A character, the one its bytes read back as, and those bytes (none:
    // refused, it would read back as another character).
    void readBack_data()
    {
        QTest::addColumn<QString>("character");
        QTest::addColumn<QString>("readBack");
        QTest::addColumn<Bytes>("bytes");
        QTest::newRow("wave dash") << "\u301C" << "\uFF5E" << Bytes("\x81\x60");
        QTest::newRow("double vertical line") << "\u2016" << "\u2225" << Bytes("\x81\x61");
        QTest::newRow("minus sign") << "\u2212" << "\uFF0D" << Bytes("\x81\x7C");
        QTest::newRow("em dash") << "\u2014" << "\u2015" << Bytes("\x81\x5C");
        QTest::newRow("cent sign") << "\u00A2" << "\uFFE0" << Bytes("\x81\x91");
        QTest::newRow("pound sign") << "\u00A3" << "\uFFE1" << Bytes("\x81\x92");
        QTest::newRow("not sign") << "\u00AC" << "\uFFE2" << Bytes("\x81\xCA");
        QTest::newRow("fullwidth tilde is itself") << "\uFF5E" << "\uFF5E" << Bytes("\x81\x60");
        QTest::newRow("yen sign would read back as backslash") << "\u00A5" << "\u00A5" << Bytes();
        QTest::newRow("overline would read back as tilde") << "\u203E" << "\u203E" << Bytes();
    }
    void readBack()
    {
        QFETCH(QString, character);
        QFETCH(QString, readBack);
        QFETCH(Bytes, bytes);
        const std::string utf8 = character.toStdString();
        const std::string_view form = cp932ReadBackForm(utf8);
        QCOMPARE(QString::fromUtf8(form.data(), form.size()), readBack);
        const std::optional<std::string> written = utf8ToCp932(form);
        QCOMPARE(written.has_value(), !bytes.isEmpty());
        if (written) {
            QCOMPARE(Bytes::fromStdString(*written), bytes);
            QCOMPARE(QString::fromStdString(*cp932ToUtf8(*written)), readBack);
        }
    }

    void decode_data()
    {
        QTest::addColumn<Bytes>("bytes");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("strict");
        QTest::addColumn<QString>("display");
        QTest::newRow("kanji") << Bytes("\x96\xBC\x91\x4F") << true << "名前" << "名前";
        QTest::newRow("lead byte cut off at the end") << Bytes("\x82\xA0\x82") << false << ""
                                                     << "あ\uFFFD";
        QTest::newRow("lead byte before a break") << Bytes("a\x82\nb") << false << ""
                                                 << "a\uFFFD\nb";
        QTest::newRow("undefined single byte") << Bytes("\xA0x") << false << "" << "\uFFFDx";
    }
    void decode()
    {
        QFETCH(Bytes, bytes);
        QFETCH(bool, valid);
        QFETCH(QString, strict);
        QFETCH(QString, display);
        const std::string_view view(bytes.constData(), bytes.size());
        const std::optional<std::string> result = cp932ToUtf8(view);
        QCOMPARE(result.has_value(), valid);
        if (valid)
            QCOMPARE(QString::fromStdString(*result), strict);
        QCOMPARE(QString::fromStdString(cp932ToUtf8ForDisplay(view)), display);
    }
};

QTEST_APPLESS_MAIN(TestCp932)
#include "tst_cp932.moc"
