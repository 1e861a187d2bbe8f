#include <QtTest>

#include "ranking/insertion.h"
#include "ranking/rankinglines.h"

using Bytes = QByteArray;

namespace {

Bytes seed()
{
    QFile file(QStringLiteral(MILTA_DATA_DIR "/rank.mlt"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

} // namespace

// The launcher copies data/rank.mlt into a new player's play folder so that
// the first start finds a ranking. It has to be the table the game starts
// from without a file, in the bytes the game writes: an editor or a checkout
// that turns CR LF into LF or re-encodes the names would break it.
class TestSeedRanking : public QObject
{
    Q_OBJECT
private slots:
    void isTheBuiltInTable()
    {
        QCOMPARE(seed(), Bytes::fromStdString(builtInRankingLines().text()));
    }

    void columns_data()
    {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("count");
        QTest::addColumn<Bytes>("line");
        QTest::newRow("seconds") << SecondsColumn << RankingPlaces << Bytes("50");
        QTest::newRow("tenths") << TenthsColumn << RankingPlaces << Bytes("0");
        QTest::newRow("names in code page 932")
            << NameColumn << RankingPlaces << Bytes("\x96\xBC\x91\x4F\x82\xC8\x82\xB5");
        QTest::newRow("times in tenths") << TimeColumn << RankingPlaces << Bytes("500");
        QTest::newRow("spare lines") << TimeColumn + RankingPlaces << 5 << Bytes();
    }
    void columns()
    {
        QFETCH(int, first);
        QFETCH(int, count);
        QFETCH(Bytes, line);
        const Bytes bytes = seed();
        // The built-in table's lines, every one ended by CR LF and no other CR or LF anywhere.
        const int lineCount = builtInRankingLines().lineCount();
        QCOMPARE(bytes.count("\r\n"), lineCount);
        QCOMPARE(bytes.count('\r'), lineCount);
        QCOMPARE(bytes.count('\n'), lineCount);
        QVERIFY(bytes.endsWith("\r\n"));
        const QList<Bytes> lines = bytes.split('\n');
        for (int k = first; k < first + count; ++k)
            QCOMPARE(lines[k], line + '\r');
    }
};

QTEST_APPLESS_MAIN(TestSeedRanking)
#include "tst_seed_ranking.moc"
