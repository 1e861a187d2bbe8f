#include <QtTest>

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
        QTest::newRow("seconds") << 0 << 10 << Bytes("50");
        QTest::newRow("tenths") << 10 << 10 << Bytes("0");
        QTest::newRow("names in code page 932") << 20 << 10 << Bytes("\x96\xBC\x91\x4F\x82\xC8\x82\xB5");
        QTest::newRow("times in tenths") << 30 << 10 << Bytes("500");
        QTest::newRow("spare lines") << 40 << 5 << Bytes();
    }
    void columns()
    {
        QFETCH(int, first);
        QFETCH(int, count);
        QFETCH(Bytes, line);
        const Bytes bytes = seed();
        // 45 lines, every one ended by CR LF and no other CR or LF anywhere.
        QCOMPARE(bytes.count("\r\n"), 45);
        QCOMPARE(bytes.count('\r'), 45);
        QCOMPARE(bytes.count('\n'), 45);
        QVERIFY(bytes.endsWith("\r\n"));
        const QList<Bytes> lines = bytes.split('\n');
        for (int k = first; k < first + count; ++k)
            QCOMPARE(lines[k], line + '\r');
    }
};

QTEST_APPLESS_MAIN(TestSeedRanking)
#include "tst_seed_ranking.moc"
