#include <QtTest>

#include "core/exception.h"
#include "ranking/memo.h"

using Bytes = QByteArray;

namespace {

std::string_view view(const Bytes &bytes)
{
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

} // namespace

class TestMemo : public QObject
{
    Q_OBJECT
private slots:
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
