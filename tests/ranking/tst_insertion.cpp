#include <QtTest>

#include "core/exception.h"
#include "ranking/insertion.h"

#include <vector>

using Times = QList<int>;

namespace {

// A ranking whose places' times are given; place p is "p" seconds (whatever
// its time), tenths "0" and named "name p", then five empty lines.
RankingLines rankingWithTimes(const QStringList &times)
{
    std::vector<std::string> lines(TimeColumn + RankingPlaces + 5);
    for (int k = 0; k < RankingPlaces; ++k) {
        lines[SecondsColumn + k] = std::to_string(k + 1);
        lines[TenthsColumn + k] = "0";
        lines[NameColumn + k] = "name " + std::to_string(k + 1);
        lines[TimeColumn + k] = times.value(k).toStdString();
    }
    std::string text;
    for (const std::string &line : lines)
        text += line + "\r\n";
    RankingLines table;
    table.setText(text);
    return table;
}

QStringList asText(const Times &times)
{
    QStringList text;
    for (int time : times)
        text << QString::number(time);
    return text;
}

// Records the places asked and the saves made.
struct Player
{
    std::string name = "new";
    QList<int> placesAsked;
    int saves = 0;

    AskRankingName ask()
    {
        return [this](int place) {
            placesAsked << place;
            return name;
        };
    }
    SaveRanking save()
    {
        return [this] { ++saves; };
    }
};

} // namespace

class TestInsertion : public QObject
{
    Q_OBJECT
private slots:
    void place_data()
    {
        QTest::addColumn<Times>("times");
        QTest::addColumn<int>("score");
        QTest::addColumn<int>("place"); // 0: not ranked
        const Times builtIn(RankingPlaces, 500);
        const Times spread{10, 20, 30, 40, 50, 60, 70, 80, 90, 100};
        QTest::newRow("built-in, tie with all goes first") << builtIn << 500 << 1;
        QTest::newRow("built-in, better goes first") << builtIn << 499 << 1;
        QTest::newRow("built-in, 50.1 enters nowhere") << builtIn << 501 << 0;
        QTest::newRow("between places") << spread << 35 << 4;
        QTest::newRow("tie goes above") << spread << 30 << 3;
        QTest::newRow("best of all") << spread << 5 << 1;
        QTest::newRow("tie with the tenth") << spread << 100 << 10;
        QTest::newRow("slower than the tenth") << spread << 101 << 0;
        QTest::newRow("tie with several goes above all")
            << Times{10, 20, 20, 20, 50, 60, 70, 80, 90, 100} << 20 << 2;
        QTest::newRow("tie with the tenth and the ninth")
            << Times{10, 20, 30, 40, 50, 60, 70, 80, 100, 100} << 100 << 9;
    }
    void place()
    {
        QFETCH(Times, times);
        QFETCH(int, score);
        QFETCH(int, place);
        RankingLines table = rankingWithTimes(asText(times));
        RaceState race;
        race.seconds = score / 10;
        race.tenths = score % 10;
        Player player;
        const int lineCount = table.lineCount();
        enterRanking(race, table, player.ask(), player.save());

        QCOMPARE(race.score, score);
        QCOMPARE(player.placesAsked, place ? QList<int>{place} : QList<int>{});
        QCOMPARE(player.saves, place ? 1 : 0);
        QCOMPARE(table.lineCount(), lineCount);
        for (int p = 1; p <= RankingPlaces; ++p) {
            const int k = p - 1;
            // The place each line now shows: the newcomer's, or the old
            // place above it when the newcomer pushed it down.
            const int old = place == 0 || p < place ? p : p - 1;
            const bool isNew = place != 0 && p == place;
            QCOMPARE(table.line(SecondsColumn + k), isNew ? std::to_string(race.seconds) : std::to_string(old));
            QCOMPARE(table.line(TenthsColumn + k), isNew ? std::to_string(race.tenths) : "0");
            QCOMPARE(table.line(NameColumn + k), isNew ? "new" : "name " + std::to_string(old));
            QCOMPARE(table.line(TimeColumn + k), std::to_string(isNew ? score : times[old - 1]));
        }
    }

    void nameIsStoredAsGiven_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::newRow("empty name is an empty line") << QByteArray();
        QTest::newRow("default name") << QByteArray("\x96\xBC\x91\x4F\x82\xC8\x82\xB5");
        QTest::newRow("255 bytes") << QByteArray(255, 'n');
    }
    void nameIsStoredAsGiven()
    {
        QFETCH(QByteArray, name);
        RankingLines table = rankingWithTimes(asText(Times(RankingPlaces, 500)));
        RaceState race;
        race.seconds = 12;
        race.tenths = 3;
        Player player;
        player.name = name.toStdString();
        const int lineCount = table.lineCount();
        enterRanking(race, table, player.ask(), player.save());
        QCOMPARE(race.entryName, player.name);
        QCOMPARE(table.line(NameColumn), player.name);
        QCOMPARE(table.line(NameColumn + 1), "name 1");
        QCOMPARE(table.lineCount(), lineCount);
    }

    // The save took a ranking another copy or the player wrote meanwhile, in
    // which the race stands higher than in the table the dialog was for: it
    // stays entered once, under the one name asked.
    void saveTakesARankingWhereTheRaceStandsHigher()
    {
        const Times spread{10, 20, 30, 40, 50, 60, 70, 80, 90, 100};
        RankingLines table = rankingWithTimes(asText(spread));
        RaceState race;
        race.seconds = 4;
        race.tenths = 5;
        Player player;
        int saves = 0;
        enterRanking(race, table, player.ask(), [&] {
            ++saves;
            table = rankingWithTimes(asText(Times(RankingPlaces, 500)));
            reenterRanking({race}, table);
        });
        QCOMPARE(player.placesAsked, QList<int>{5});
        QCOMPARE(saves, 1);
        QCOMPARE(table.line(NameColumn), "new");
        QCOMPARE(table.line(NameColumn + 1), "name 1");
    }

    // Entries another ranking is given, in order: each under the rules of a
    // finish, the later one above an earlier one of the same time.
    void reenterSeveral()
    {
        RankingLines table = rankingWithTimes(asText({10, 20, 30, 40, 50, 60, 70, 80, 90, 100}));
        std::vector<RaceState> races(3);
        const int scores[] = {35, 5, 35};
        for (int i = 0; i < 3; ++i) {
            races[i].seconds = scores[i] / 10;
            races[i].tenths = scores[i] % 10;
            races[i].entryName = "entry " + std::to_string(i);
        }
        reenterRanking(races, table);
        const char *names[] = {"entry 1", "name 1", "name 2", "name 3", "entry 2", "entry 0", "name 4"};
        for (int k = 0; k < 7; ++k)
            QCOMPARE(table.line(NameColumn + k), names[k]);
        QCOMPARE(table.line(TimeColumn + 4), "35");
        QCOMPARE(table.line(NameColumn + 9), "name 7");
    }

    void badTimeLineKeepsAnEarlierInsertion()
    {
        RankingLines table = rankingWithTimes({"10", "20", "30", "40", "50", "60", "70", "x7", "90", "100"});
        RaceState race;
        race.seconds = 9;
        race.tenths = 5;
        Player player;
        QVERIFY_THROWS_EXCEPTION(EConvertError,
                                 enterRanking(race, table, player.ask(), player.save()));
        QCOMPARE(player.placesAsked, QList<int>{10});
        QCOMPARE(player.saves, 1);
        QCOMPARE(table.line(TimeColumn + 9), "95");
        QCOMPARE(table.line(TimeColumn + 8), "90");
    }

    void missingTimeLineStopsAtTheFirstTest()
    {
        RankingLines table;
        table.setText("1\r\n2\r\n");
        RaceState race;
        race.seconds = 1;
        Player player;
        try {
            enterRanking(race, table, player.ask(), player.save());
            QFAIL("a table without time lines ranked a race");
        } catch (const EConvertError &error) {
            QCOMPARE(QString::fromUtf8(error.what()), "NotANumber: ");
        }
        QCOMPARE(player.saves, 0);
        QCOMPARE(race.score, 10);
    }

    void parseTimeLine_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("shown"); // in the error message
        QTest::newRow("digits") << QByteArray("500") << true << 500 << "";
        QTest::newRow("plus sign") << QByteArray("+7") << true << 7 << "";
        QTest::newRow("minus sign") << QByteArray("-7") << true << -7 << "";
        QTest::newRow("largest") << QByteArray("2147483647") << true << 2147483647 << "";
        QTest::newRow("overflow") << QByteArray("2147483648") << false << 0 << "2147483648";
        QTest::newRow("empty") << QByteArray() << false << 0 << "";
        QTest::newRow("two signs") << QByteArray("+-5") << false << 0 << "+-5";
        QTest::newRow("leading space") << QByteArray(" 5") << false << 0 << " 5";
        QTest::newRow("decimal point") << QByteArray("50.0") << false << 0 << "50.0";
        QTest::newRow("full-width digit") << QByteArray("\x82\x54") << false << 0 << "５";
    }
    void parseTimeLine()
    {
        QFETCH(QByteArray, line);
        QFETCH(bool, valid);
        QFETCH(int, value);
        QFETCH(QString, shown);
        try {
            QCOMPARE(::parseTimeLine(line.toStdString()), value);
            QVERIFY(valid);
        } catch (const EConvertError &error) {
            QVERIFY(!valid);
            QCOMPARE(QString::fromUtf8(error.what()), "NotANumber: " + shown);
        }
    }
};

QTEST_APPLESS_MAIN(TestInsertion)
#include "tst_insertion.moc"
