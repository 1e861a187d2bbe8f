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

#include "media/mediaplayer.h"

namespace {

struct OutputCounts {
    std::atomic<int> opened{0};
    std::atomic<int> open{0};
};

class RenderingThread : public MidiService::AudioOutput
{
public:
    RenderingThread(OutputCounts &counts, MidiService::RenderBlock render)
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
    std::shared_ptr<MidiService> m_service;

    std::unique_ptr<TMediaPlayer> openPlayer(const char *name)
    {
        auto player = std::make_unique<TMediaPlayer>(nullptr, m_service);
        player->FileName = QStringLiteral(MILTA_DATA_DIR "/") + QString::fromLatin1(name);
        player->Open();
        return player;
    }

private slots:
    void init()
    {
        m_counts.opened = 0;
        m_service = std::make_shared<MidiService>(
            MidiService::Output::AudioDevice, MidiService::defaultSoundFont,
            [this](fluid_settings_t *, MidiService::RenderBlock render) {
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
        race->Rewind();
        QCOMPARE(m_counts.opened.load(), 0);
        race->Play();
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
        race->Play();
        QCOMPARE(m_counts.open.load(), 1);
        if (how == "stop")
            race->Stop();
        else if (how == "rewind")
            race->Rewind();
        else if (how == "reopen")
            race->Open();
        else
            race = openPlayer("goal.mid");
        QCOMPARE(m_counts.open.load(), 0);
        race->Play();
        QCOMPARE(m_counts.open.load(), 1);
        QCOMPARE(m_counts.opened.load(), 2);
    }

    // The race start: both tunes rewound, the race tune played; at the goal
    // the race tune stops and the fanfare plays. One output throughout.
    void keptWhileAnySongSounds()
    {
        auto race = openPlayer("100m.mid");
        auto goal = openPlayer("goal.mid");
        race->Rewind();
        goal->Rewind();
        race->Play();
        race->Stop();
        race->Play();
        QCOMPARE(m_counts.opened.load(), 2);
        goal->Play(); // takes the synth from the race tune
        goal->Stop();
        goal->Play();
        race->Stop();
        race->Rewind();
        QCOMPARE(m_counts.open.load(), 1);
        QCOMPARE(m_counts.opened.load(), 3);
        goal->Stop();
        QCOMPARE(m_counts.open.load(), 0);
    }

    // Noticed on the output's thread, closed on this one once FluidSynth has
    // let the last notes ring out; a play at the end starts afresh.
    void closedAfterASongEndsByItself()
    {
        auto goal = openPlayer("goal.mid");
        goal->Play();
        QTRY_COMPARE_WITH_TIMEOUT(m_counts.open.load(), 0, 10000);
        QVERIFY(goal->Length() > 0);
        QVERIFY(goal->Position() >= goal->Length());
        goal->Play();
        QCOMPARE(m_counts.open.load(), 1);
        QTRY_VERIFY(goal->Position() > 0);
        QVERIFY(goal->Position() < goal->Length());
    }

    // A sound card that cannot be opened leaves the songs silent and still
    // under the players' control.
    void noDevice()
    {
        m_service = std::make_shared<MidiService>(
            MidiService::Output::AudioDevice, MidiService::defaultSoundFont,
            [this](fluid_settings_t *, MidiService::RenderBlock) {
                ++m_counts.opened;
                return std::unique_ptr<MidiService::AudioOutput>();
            });
        auto race = openPlayer("100m.mid");
        race->Play();
        race->Stop();
        race->Play();
        QCOMPARE(m_counts.opened.load(), 2);
        QCOMPARE(race->Position(), 0);
    }
};

QTEST_MAIN(TestAudioOutput)
#include "tst_audiooutput.moc"
