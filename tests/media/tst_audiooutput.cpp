// When the music players hold the sound card's output: only while a song can
// be sounding, as its thread wakes the program every block even for silence.
// The output here is a thread that renders as fast as it can, so that a song
// ends within a fraction of a second.
#include <QtTest>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "media/tuneplayer.h"

namespace {

struct OutputCounts {
    std::atomic<int> opened{0};
    std::atomic<int> open{0};
};

class RenderingThread : public MusicService::AudioOutput
{
public:
    RenderingThread(OutputCounts &counts, MusicService::RenderBlock render)
        : m_counts(counts), m_thread([this, render = std::move(render)] {
              std::vector<float> left(1024), right(1024);
              while (!m_stopping) {
                  render(left.data(), right.data(), int(left.size()));
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

} // namespace

class TestAudioOutput : public QObject
{
    Q_OBJECT

    OutputCounts m_counts;
    std::unique_ptr<MusicService> m_service;

    std::unique_ptr<TunePlayer> openPlayer(const char *name)
    {
        auto player = std::make_unique<TunePlayer>(*m_service, QStringLiteral(MILTA_DATA_DIR "/") + name);
        player->open();
        return player;
    }

private slots:
    void init()
    {
        m_counts.opened = 0;
        m_service = std::make_unique<MusicService>([this](MusicService::RenderBlock render) {
            return std::make_unique<RenderingThread>(m_counts, std::move(render));
        });
    }
    void cleanup()
    {
        m_service.reset();
        QCOMPARE(m_counts.open.load(), 0);
    }

    void noOutputUntilPlay()
    {
        auto race = openPlayer("100m.mid");
        race->rewind();
        QCOMPARE(m_counts.opened.load(), 0);
        race->play();
        QCOMPARE(m_counts.open.load(), 1);
    }

    // Each way of leaving nothing sounding closes the output at once, and
    // the next play opens a new one.
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
        QCOMPARE(m_counts.open.load(), 0);
        race->play();
        QCOMPARE(m_counts.open.load(), 1);
        QCOMPARE(m_counts.opened.load(), 2);
    }

    // The race start: both tunes rewound, the race tune played; at the goal
    // the race tune stops and the fanfare plays. One output throughout.
    void keptWhileAnySongSounds()
    {
        auto race = openPlayer("100m.mid");
        auto goal = openPlayer("goal.mid");
        race->rewind();
        goal->rewind();
        race->play();
        race->stop();
        race->play();
        QCOMPARE(m_counts.opened.load(), 2);
        goal->play(); // takes the synth from the race tune
        goal->stop();
        goal->play();
        race->stop();
        race->rewind();
        QCOMPARE(m_counts.open.load(), 1);
        QCOMPARE(m_counts.opened.load(), 3);
        goal->stop();
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

    // A sound card that cannot be opened leaves the songs silent and still
    // under the players' control.
    void noDevice()
    {
        m_service = std::make_unique<MusicService>([this](MusicService::RenderBlock) {
            ++m_counts.opened;
            return std::unique_ptr<MusicService::AudioOutput>();
        });
        auto race = openPlayer("100m.mid");
        race->play();
        race->stop();
        race->play();
        QCOMPARE(m_counts.opened.load(), 2);
        QCOMPARE(race->position(), 0);
    }
};

QTEST_MAIN(TestAudioOutput)
#include "tst_audiooutput.moc"
