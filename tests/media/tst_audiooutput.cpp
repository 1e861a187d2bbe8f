// When the music service holds an audio output: only while a song can be
// sounding, as its thread wakes the program every block even for silence,
// and across a stop or rewind that the same handler follows with a play. The
// output here is a thread that renders faster than real time, so that a song
// ends within a fraction of a second.
#include <QtTest>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "media/tuneplayer.h"

#include "synth.h"

namespace {

struct OutputCounts {
    std::atomic<int> opened{0};
    std::atomic<int> open{0};
};

class RenderingThread : public MusicService::AudioOutput
{
public:
    RenderingThread(OutputCounts &counts, int blockFrames, MusicService::RenderBlock render)
        : m_counts(counts), m_thread([this, blockFrames, render = std::move(render)] {
              std::vector<float> left(blockFrames), right(blockFrames);
              while (!m_stopping) {
                  render(left.data(), right.data(), blockFrames);
                  std::this_thread::sleep_for(std::chrono::milliseconds(1));
              }
          })
    {
        ++m_counts.opened;
        ++m_counts.open;
    }
    ~RenderingThread() override
    {
        // A real driver joins its thread here: from that thread it would hang.
        if (std::this_thread::get_id() == m_thread.get_id())
            qFatal("the output was closed by its own thread");
        m_stopping = true;
        m_thread.join();
        --m_counts.open;
    }

private:
    OutputCounts &m_counts;
    std::atomic<bool> m_stopping{false};
    std::thread m_thread;
};

// What the race screen's handlers do with the two tunes.
void raceStart(TunePlayer &race, TunePlayer &goal)
{
    goal.rewind();
    race.rewind();
    race.play();
}

void finish(TunePlayer &race, TunePlayer &goal)
{
    race.stop();
    goal.play();
}

} // namespace

class TestAudioOutput : public QObject
{
    Q_OBJECT

    OutputCounts m_counts;
    int m_blockFrames = 1024; // 23 ms of music a millisecond
    std::unique_ptr<MusicService> m_service;

    std::unique_ptr<TunePlayer> openPlayer(const char *name)
    {
        auto player = std::make_unique<TunePlayer>(*m_service, QStringLiteral(MILTA_DATA_DIR "/") + name);
        player->open();
        return player;
    }

private slots:
    void initTestCase() { SKIP_WITHOUT_SYNTH(); }
    void init()
    {
        m_counts.opened = 0;
        m_blockFrames = 1024;
        m_service = std::make_unique<MusicService>([this](MusicService::RenderBlock render) {
            return std::make_unique<RenderingThread>(m_counts, m_blockFrames, std::move(render));
        });
    }
    void cleanup()
    {
        m_service.reset();
        QCOMPARE(m_counts.open.load(), 0);
        // Checks queued by the last stops die with the service.
        QCoreApplication::processEvents();
    }

    void noOutputUntilPlay()
    {
        auto race = openPlayer("100m.mid");
        race->rewind();
        QCoreApplication::processEvents();
        QCOMPARE(m_counts.opened.load(), 0);
        race->play();
        QCOMPARE(m_counts.open.load(), 1);
    }

    // Each way of leaving nothing sounding closes the output once the
    // handler is done, and the next play opens a new one.
    void closedWhenNothingSounds_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("stop") << "stop";
        QTest::newRow("rewind") << "rewind";
        QTest::newRow("reopen") << "reopen";
        QTest::newRow("close") << "close";
    }
    void closedWhenNothingSounds()
    {
        QFETCH(QString, how);
        auto race = openPlayer("100m.mid");
        race->play();
        QCOMPARE(m_counts.open.load(), 1);
        if (how == "stop")
            race->stop();
        else if (how == "rewind")
            race->rewind();
        else if (how == "reopen")
            race->open();
        else
            race = openPlayer("goal.mid");
        QCoreApplication::processEvents();
        QCOMPARE(m_counts.open.load(), 0);
        race->play();
        QCOMPARE(m_counts.open.load(), 1);
        QCOMPARE(m_counts.opened.load(), 2);
    }

    // A race, Retry soon after its finish (the goal tune sounds on), the
    // next race, Retry in its middle; each handled as the race screen does:
    // one output until nothing sounds. Rendered near real time, so that the
    // goal tune outlasts the test.
    void keptAcrossTheRaceScreensHandlers()
    {
        m_blockFrames = 64;
        auto race = openPlayer("100m.mid");
        auto goal = openPlayer("goal.mid");
        raceStart(*race, *goal);
        QCoreApplication::processEvents();
        finish(*race, *goal);
        QCoreApplication::processEvents();
        race->stop();
        QCoreApplication::processEvents();
        raceStart(*race, *goal);
        QCoreApplication::processEvents();
        QCOMPARE(m_counts.opened.load(), 1);
        QCOMPARE(m_counts.open.load(), 1);
        race->stop();
        QCoreApplication::processEvents();
        QCOMPARE(m_counts.open.load(), 0);
    }

    // Noticed on the output's thread, closed on this one once FluidSynth has
    // let the last notes ring out; a play at the end starts afresh.
    void closedAfterASongEndsByItself()
    {
        auto goal = openPlayer("goal.mid");
        goal->play();
        QTRY_COMPARE_WITH_TIMEOUT(m_counts.open.load(), 0, 10000);
        QVERIFY(goal->length() > 0);
        QVERIFY(goal->position() >= goal->length());
        goal->play();
        QCOMPARE(m_counts.open.load(), 1);
        QTRY_VERIFY(goal->position() > 0);
        QVERIFY(goal->position() < goal->length());
    }

    // A cue of the race by ear opens the output without a song and keeps it
    // until its note has rung out.
    void keptWhileACueRings()
    {
        m_blockFrames = 64; // near real time
        m_service->sound(Cue::Quarter);
        QCOMPARE(m_counts.open.load(), 1);
        QTest::qWait(cueNote(Cue::Quarter).lengthMs);
        QCoreApplication::processEvents();
        QCOMPARE(m_counts.open.load(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(m_counts.open.load(), 0, 10000);
        QCOMPARE(m_counts.opened.load(), 1);
    }

    // A sound card that cannot be opened leaves the songs silent and still
    // under the players' control; each play tries again.
    void noDevice()
    {
        m_service = std::make_unique<MusicService>([this](MusicService::RenderBlock) {
            ++m_counts.opened;
            return std::unique_ptr<MusicService::AudioOutput>();
        });
        auto race = openPlayer("100m.mid");
        race->play();
        race->stop();
        QCoreApplication::processEvents();
        race->play();
        QCOMPARE(m_counts.opened.load(), 2);
        QCOMPARE(race->position(), 0);
    }
};

QTEST_MAIN(TestAudioOutput)
#include "tst_audiooutput.moc"
