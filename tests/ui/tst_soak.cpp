#include "racescreen.h"

#include "ranking/insertion.h"
#include "ui/rankingwindow.h"
#include "ui/versionwindow.h"

#include <QRandomGenerator>
#include <QTest>

#include <unistd.h>

// A thousand races in one sitting, as a player who never closes the game
// runs them: every runner, ranked and unranked finishes, retries midway, the
// ranking window. The table must stay whole and memory must not grow.
class TestSoak : public QObject, RaceScreenFixture
{
    Q_OBJECT

    static long residentKiB()
    {
        QFile statm("/proc/self/statm");
        if (!statm.open(QIODevice::ReadOnly))
            return -1;
        const QList<QByteArray> fields = statm.readAll().split(' ');
        return fields.value(1).toLong() * (sysconf(_SC_PAGESIZE) / 1024);
    }

    // The time lines in order, and each place's seconds and tenths agreeing
    // with its time; as many lines as the built-in table has.
    static void checkTable(const RankingLines &table, int race)
    {
        QVERIFY2(table.lineCount() == builtInRankingLines().lineCount(), qPrintable(QString("race %1").arg(race)));
        int previous = 0;
        for (int k = 0; k < RankingPlaces; ++k) {
            const int time = parseTimeLine(table.line(TimeColumn + k));
            QVERIFY2(time >= previous, qPrintable(QString("race %1, place %2").arg(race).arg(k + 1)));
            QCOMPARE(parseTimeLine(table.line(SecondsColumn + k)) * 10 + parseTimeLine(table.line(TenthsColumn + k)),
                     time);
            previous = time;
        }
    }

private slots:
    void thousandRaces()
    {
        openRaceScreen();
        RankingWindow ranking(window.get());
        VersionWindow version(window.get());
        window->attachSideWindows(&ranking, &version);

        QRandomGenerator random(6);
        long rssAt100 = 0;
        int ranked = 0, unranked = 0, retried = 0;
        for (int n = 1; n <= 1000; ++n) {
            window->onRetryClicked();
            window->onRunnerButtonClicked();
            emit window->portrait(n % RunnerCount)->clicked();

            // Clock ticks per stride: fast races rank, slow ones (over 50 s) never do.
            const int ticksPerStride = n % 3 == 0 ? 7 : 1 + int(random.bounded(5));
            const bool retryMidway = n % 10 == 7;
            int strideCount = 0, ticks = 0;
            while (race().stridePhase != StridePhase::Finished) {
                strides(1);
                if (retryMidway && ++strideCount == StridesToFinish / 2)
                    break;
                for (int t = 0; t < ticksPerStride && race().stridePhase != StridePhase::Finished; ++t) {
                    // Arm the name dialog's answer just before a tick that finishes a
                    // ranked race.
                    if (window->stanceFrame(race().runner)->x() > FinishLeft
                        && ticks + 1 <= parseTimeLine(window->rankingLines().line(TimeColumn + RankingPlaces - 1)))
                        acceptTheName();
                    clock->tickAt(70 * ++ticks);
                }
            }
            if (retryMidway)
                ++retried;
            else if (race().score <= parseTimeLine(window->rankingLines().line(TimeColumn + RankingPlaces - 1)))
                ++ranked;
            else
                ++unranked;

            if (n % 50 == 0) {
                window->onRankingClicked();
                ranking.hide();
            }
            checkTable(window->rankingLines(), n);
            if (QTest::currentTestFailed())
                return;
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            if (n == 100)
                rssAt100 = residentKiB();
        }
        const long rssAt1000 = residentKiB();
        qInfo("%d ranked, %d unranked, %d retried midway; resident %ld KiB at race 100, %ld KiB at race 1000",
              ranked, unranked, retried, rssAt100, rssAt1000);
        QVERIFY(ranked > 0 && unranked > 0);
        // Memory settles in the first hundred races and stays.
        QVERIFY2(rssAt1000 - rssAt100 <= 1024, "resident memory grew by more than 1 MiB");

        // What is on disk is the table in memory.
        QFile file("rank.mlt");
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll().toStdString(), window->rankingLines().text());
        closeRaceScreen();
    }
};

QTEST_MAIN(TestSoak)
#include "tst_soak.moc"
