#include "ranking/insertion.h"
#include "modal.h"
#include "playfolder.h"
#include "ui/tform1.h"
#include "ui/tform2.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <unistd.h>

// A thousand races in one sitting, as a player who never closes the game
// runs them: every runner, ranked and unranked finishes, retries midway, the
// ranking window. The table must stay whole and memory must not grow.
class TestSoak : public QObject
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
    // with its time; 45 lines, as the built-in table has.
    static void checkTable(const RankingLines &table, int race)
    {
        QVERIFY2(table.lineCount() == 45, qPrintable(QString("race %1").arg(race)));
        int previous = 0;
        for (int k = 0; k < RankingPlaces; ++k) {
            const int time = parseTimeLine(table.line(TimeColumn + k));
            QVERIFY2(time >= previous, qPrintable(QString("race %1, place %2").arg(race).arg(k + 1)));
            QCOMPARE(parseTimeLine(table.line(SecondsColumn + k)) * 10
                         + parseTimeLine(table.line(TenthsColumn + k)),
                     time);
            previous = time;
        }
    }

private slots:
    void thousandRaces()
    {
        PlayFolder folder;
        TForm1 form;
        TForm2 form2(&form);
        form.Form2 = &form2;

        // The runner buttons in roster order of the selection bar.
        void (TForm1::*const pick[])() = {&TForm1::Image20Click, &TForm1::Image21Click,
                                           &TForm1::Image22Click, &TForm1::Image23Click,
                                           &TForm1::Image24Click};
        QRandomGenerator random(6);
        long rssAt100 = 0;
        int ranked = 0, unranked = 0, retried = 0;
        for (int race = 1; race <= 1000; ++race) {
            form.Image27Click();
            form.Image19Click();
            (form.*pick[race % 5])();

            // Clock ticks per stride: fast races rank, slow ones (over 50 s) never do.
            const int ticksPerStride = race % 3 == 0 ? 7 : 1 + int(random.bounded(5));
            const bool retryMidway = race % 10 == 7;
            int strides = 0;
            while (form.race.stridePhase != RaceFinished) {
                form.Panel1MouseMove();
                form.Panel2MouseMove();
                if (retryMidway && ++strides == 40)
                    break;
                for (int t = 0; t < ticksPerStride && form.race.stridePhase != RaceFinished; ++t) {
                    // Arm the name dialog's answer just before a tick that finishes a
                    // ranked race.
                    const int score = (form.race.seconds * 10 + form.race.tenths) + 1;
                    if (form.frameA(form.race.runner)->x() > FinishLeft
                        && score <= parseTimeLine(form.Memo1.line(TimeColumn + RankingPlaces - 1)))
                        whenModalOpens<QDialog>([](QDialog *dialog) { dialog->accept(); });
                    form.Timer1Timer();
                }
            }
            if (retryMidway)
                ++retried;
            else
                ++(form.race.entryName.empty() ? unranked : ranked);
            form.race.entryName.clear();

            if (race % 50 == 0) {
                form.Image28Click();
                form2.hide();
            }
            checkTable(form.Memo1, race);
            if (QTest::currentTestFailed())
                return;
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            if (race == 100)
                rssAt100 = residentKiB();
        }
        const long rssAt1000 = residentKiB();
        qInfo("%d ranked, %d unranked, %d retried midway; resident %ld KiB at race 100, %ld KiB at "
              "race 1000",
              ranked, unranked, retried, rssAt100, rssAt1000);
        QVERIFY(ranked > 0 && unranked > 0);

        // What is on disk is the table in memory.
        QFile file("rank.mlt");
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll().toStdString(), form.Memo1.text());
    }
};

QTEST_MAIN(TestSoak)
#include "tst_soak.moc"
