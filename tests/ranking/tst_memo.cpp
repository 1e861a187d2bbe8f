#include <QtTest>

#include "exception.h"
#include "memo.h"

using Bytes = QByteArray;
using Lines = QList<QByteArray>;

namespace {

Lines linesOf(const TMemo &memo)
{
    Lines lines;
    for (int i = 0; i < memo.lineCount(); ++i)
        lines << Bytes::fromStdString(memo.line(i));
    return lines;
}

std::string_view view(const Bytes &bytes)
{
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

} // namespace

class TestMemo : public QObject
{
    Q_OBJECT
private slots:
    void setText_data()
    {
        QTest::addColumn<Bytes>("input");
        QTest::addColumn<Lines>("lines");
        QTest::addColumn<bool>("endsWithBreak");
        QTest::addColumn<Bytes>("text");
        QTest::newRow("crlf") << Bytes("a\r\nb\r\n") << Lines{"a", "b"} << true << Bytes("a\r\nb\r\n");
        QTest::newRow("lf only") << Bytes("a\nb\n") << Lines{"a", "b"} << true << Bytes("a\r\nb\r\n");
        QTest::newRow("cr only") << Bytes("a\rb\r") << Lines{"a", "b"} << true << Bytes("a\r\nb\r\n");
        QTest::newRow("mixed") << Bytes("a\r\nb\nc\rd") << Lines{"a", "b", "c", "d"} << false
                               << Bytes("a\r\nb\r\nc\r\nd");
        QTest::newRow("lf cr is two breaks") << Bytes("a\n\rb") << Lines{"a", "", "b"} << false
                                             << Bytes("a\r\n\r\nb");
        QTest::newRow("break between double-byte chars")
            << Bytes("\x82\xA0\r\x82\xA2\n") << Lines{"\x82\xA0", "\x82\xA2"} << true
            << Bytes("\x82\xA0\r\n\x82\xA2\r\n");
        QTest::newRow("lead byte takes the lf after it")
            << Bytes("\x82\nX\r\nY") << Lines{"\x82\nX", "Y"} << false << Bytes("\x82\nX\r\nY");
        QTest::newRow("lead byte takes the cr of a crlf")
            << Bytes("\x82\r\nY") << Lines{"\x82\r", "Y"} << false << Bytes("\x82\r\r\nY");
        QTest::newRow("nul ends the text") << Bytes("a\r\nb\0c\r\n", 8) << Lines{"a", "b"} << false
                                           << Bytes("a\r\nb");
        QTest::newRow("nul after a lead byte") << Bytes("a\x82\0b", 4) << Lines{"a\x82"} << false
                                               << Bytes("a\x82");
        QTest::newRow("empty") << Bytes() << Lines{} << false << Bytes();
        QTest::newRow("only a break") << Bytes("\n") << Lines{""} << true << Bytes("\r\n");
        QTest::newRow("empty lines kept") << Bytes("\r\n\r\nx") << Lines{"", "", "x"} << false
                                          << Bytes("\r\n\r\nx");
    }
    void setText()
    {
        QFETCH(Bytes, input);
        QFETCH(Lines, lines);
        QFETCH(bool, endsWithBreak);
        QFETCH(Bytes, text);
        TMemo memo = builtInRanking();
        memo.setText(view(input));
        QCOMPARE(linesOf(memo), lines);
        QCOMPARE(memo.endsWithBreak(), endsWithBreak);
        QCOMPARE(Bytes::fromStdString(memo.text()), text);
    }

    void lineAccessOutsideTheText()
    {
        TMemo memo;
        memo.setText("a\r\nb");
        QCOMPARE(memo.line(2), std::string());
        QCOMPARE(memo.line(-1), std::string());
        memo.setLine(2, "c");
        memo.setLine(-1, "c");
        memo.setLine(1, "long name");
        QCOMPARE(Bytes::fromStdString(memo.text()), Bytes("a\r\nlong name"));
    }

    void capacity_data()
    {
        QTest::addColumn<Bytes>("input");
        QTest::addColumn<bool>("fits");
        QTest::newRow("at the limit") << Bytes(MemoTextLimit, 'x') << true;
        QTest::newRow("one byte over") << Bytes(MemoTextLimit + 1, 'x') << false;
        QTest::newRow("over after lf becomes crlf") << Bytes(MemoTextLimit / 2 + 1, '\n') << false;
        QTest::newRow("over only after the nul") << Bytes(MemoTextLimit, 'x') + Bytes(1, '\0') + "yy"
                                                 << true;
    }
    void capacity()
    {
        QFETCH(Bytes, input);
        QFETCH(bool, fits);
        TMemo memo = builtInRanking();
        const std::string before = memo.text();
        try {
            memo.setText(view(input));
            QVERIFY(fits);
            QCOMPARE(memo.text().size(), MemoTextLimit);
        } catch (const EOutOfCapacity &error) {
            QVERIFY(!fits);
            QCOMPARE(QString::fromUtf8(error.what()), "文字列の大きさが メモ の制限を越えました");
            QCOMPARE(memo.text(), before);
        }
    }

    void builtInTable()
    {
        const TMemo memo = builtInRanking();
        QCOMPARE(memo.lineCount(), 45);
        QVERIFY(memo.endsWithBreak());
        const Bytes noName("\x96\xBC\x91\x4F\x82\xC8\x82\xB5");
        for (int k = 0; k < 10; ++k) {
            QCOMPARE(memo.line(k), "50");
            QCOMPARE(memo.line(10 + k), "0");
            QCOMPARE(Bytes::fromStdString(memo.line(20 + k)), noName);
            QCOMPARE(memo.line(30 + k), "500");
        }
        for (int i = 40; i < 45; ++i)
            QCOMPARE(memo.line(i), "");
        QVERIFY(Bytes::fromStdString(memo.text()).endsWith("500\r\n\r\n\r\n\r\n\r\n\r\n"));
    }
};

QTEST_APPLESS_MAIN(TestMemo)
#include "tst_memo.moc"
