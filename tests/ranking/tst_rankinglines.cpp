#include <QtTest>

#include "core/exception.h"
#include "ranking/insertion.h"
#include "ranking/rankinglines.h"

using Bytes = QByteArray;

namespace {

std::string_view view(const Bytes &bytes)
{
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

} // namespace

class TestRankingLines : public QObject
{
    Q_OBJECT
private slots:
    void lineAccessOutsideTheText()
    {
        RankingLines table;
        table.setText("a\r\nb");
        QCOMPARE(table.line(2), std::string());
        QCOMPARE(table.line(-1), std::string());
        table.setLine(2, "c");
        table.setLine(-1, "c");
        table.setLine(1, "long name");
        QCOMPARE(Bytes::fromStdString(table.text()), Bytes("a\r\nlong name"));
    }

    void capacity_data()
    {
        QTest::addColumn<Bytes>("input");
        QTest::addColumn<bool>("fits");
        QTest::newRow("at the limit") << Bytes(RankingTextLimit, 'x') << true;
        QTest::newRow("one byte over") << Bytes(RankingTextLimit + 1, 'x') << false;
        QTest::newRow("over after lf becomes crlf") << Bytes(RankingTextLimit / 2 + 1, '\n') << false;
        QTest::newRow("over only after the nul") << Bytes(RankingTextLimit, 'x') + Bytes(1, '\0') + "yy"
                                                 << true;
    }
    void capacity()
    {
        QFETCH(Bytes, input);
        QFETCH(bool, fits);
        RankingLines table = builtInRankingLines();
        const std::string before = table.text();
        try {
            table.setText(view(input));
            QVERIFY(fits);
            QCOMPARE(table.text().size(), RankingTextLimit);
        } catch (const EOutOfCapacity &error) {
            QVERIFY(!fits);
            QCOMPARE(QString::fromUtf8(error.what()), "MemoFull");
            QCOMPARE(table.text(), before);
        }
    }

    void builtInTable()
    {
        const RankingLines table = builtInRankingLines();
        // The four columns, then five empty lines.
        const int columnsEnd = TimeColumn + RankingPlaces;
        QCOMPARE(table.lineCount(), columnsEnd + 5);
        QVERIFY(table.endsWithBreak());
        const Bytes noName("\x96\xBC\x91\x4F\x82\xC8\x82\xB5");
        for (int k = 0; k < RankingPlaces; ++k) {
            QCOMPARE(table.line(SecondsColumn + k), "50");
            QCOMPARE(table.line(TenthsColumn + k), "0");
            QCOMPARE(Bytes::fromStdString(table.line(NameColumn + k)), noName);
            QCOMPARE(table.line(TimeColumn + k), "500");
        }
        for (int i = columnsEnd; i < table.lineCount(); ++i)
            QCOMPARE(table.line(i), "");
        QVERIFY(Bytes::fromStdString(table.text()).endsWith("500\r\n\r\n\r\n\r\n\r\n\r\n"));
    }
};

QTEST_APPLESS_MAIN(TestRankingLines)
#include "tst_rankinglines.moc"
