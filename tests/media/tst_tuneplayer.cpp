// The tune players on a synthesizer rendered by hand: what the race hears
// after each command, without a sound card.
#include <QtTest>

#include <QTemporaryDir>

#include <cmath>
#include <vector>

#include "core/exception.h"
#include "media/tuneplayer.h"

#include "synth.h"
#include "testfile.h"

namespace {

constexpr int sampleRate = 44100; // FluidSynth's default rate
constexpr int block = 64;

// An organ holding one note per beat at 120 beats a minute: sound from the
// first tick to the end, and nothing after it.
QByteArray organSong(int notes)
{
    QByteArray track("\x00\xC0\x13", 3); // drawbar organ
    for (int i = 0; i < notes; ++i) {
        track += char(0x00) + QByteArray("\x90") + char(60 + i) + char(100);
        track += char(0x60) + QByteArray("\x80") + char(60 + i) + char(0);
    }
    track += QByteArray("\x00\xFF\x2F\x00", 4);
    QByteArray song("MThd\x00\x00\x00\x06\x00\x00\x00\x01\x00\x60", 14);
    const quint32 size = track.size();
    song += "MTrk";
    for (int shift : {24, 16, 8, 0})
        song += char((size >> shift) & 0xFF);
    return song + track;
}

// Loudness of the next `seconds` of the left channel, and the samples.
std::vector<float> render(MusicService &service, double seconds)
{
    const int frames = int(seconds * sampleRate) / block * block;
    std::vector<float> left(frames), right(frames);
    for (int at = 0; at < frames; at += block)
        service.render(left.data() + at, right.data() + at, block);
    return left;
}

double loudness(const std::vector<float> &samples)
{
    double sum = 0;
    for (float s : samples)
        sum += double(s) * s;
    return samples.empty() ? 0 : std::sqrt(sum / samples.size());
}

constexpr double silent = 1e-5;
constexpr double sounding = 1e-3;

// The music's log lines, as "category: message"; the rest goes on.
QStringList soundMessages;
QtMessageHandler previousHandler = nullptr;

void keepSoundMessages(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (QByteArrayView(context.category).startsWith("milta100m."))
        soundMessages << QString::fromLatin1(context.category) + ": " + message;
    else
        previousHandler(type, context, message);
}

} // namespace

class TestTunePlayer : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<MusicService> m_service;

    QString writeSong(const QString &name, const QByteArray &bytes) { return writeTestFile(m_dir, name, bytes); }

    std::unique_ptr<TunePlayer> openPlayer(const QString &path)
    {
        auto player = std::make_unique<TunePlayer>(*m_service, path);
        player->open();
        return player;
    }

private slots:
    void initTestCase() { SKIP_WITHOUT_SYNTH(); }
    void init() { m_service = std::make_unique<MusicService>(MusicService::Output::Manual); }
    void cleanup() { m_service.reset(); }

    void playSoundsAtOnceAndStopSilencesAtOnce()
    {
        auto player = openPlayer(writeSong("organ.mid", organSong(8)));
        QVERIFY(loudness(render(*m_service, 0.2)) < silent); // opened: stopped
        player->play();
        QVERIFY(loudness(render(*m_service, 0.02)) > sounding);
        render(*m_service, 1.0);
        player->stop();
        QVERIFY(loudness(render(*m_service, 0.003)) < silent);
    }

    void stopKeepsThePosition()
    {
        auto player = openPlayer(writeSong("organ.mid", organSong(8)));
        player->play();
        render(*m_service, 1.0);
        player->stop();
        const int stoppedAt = player->position();
        QVERIFY(stoppedAt >= 180); // 96 ticks a half second
        render(*m_service, 1.0);
        QCOMPARE(player->position(), stoppedAt);
        player->play();
        QVERIFY(loudness(render(*m_service, 0.5)) > sounding);
        QVERIFY(player->position() > stoppedAt);
        QVERIFY(player->position() < stoppedAt + 120);
    }

    // A rewound song sounds exactly as the first play did, also right after a
    // play too short to reach the song's first block.
    void rewindRestartsFromTheStart_data()
    {
        QTest::addColumn<double>("playedFor");
        QTest::newRow("very short play") << 0.002;
        QTest::newRow("one second") << 1.0;
        QTest::newRow("past the end") << 4.0;
    }
    void rewindRestartsFromTheStart()
    {
        QFETCH(double, playedFor);
        auto player = openPlayer(writeSong("organ.mid", organSong(6)));
        player->play();
        const std::vector<float> first = render(*m_service, 0.6);
        render(*m_service, playedFor);
        player->rewind();
        QVERIFY(loudness(render(*m_service, 0.1)) < silent);
        QCOMPARE(player->position(), 0);
        player->play();
        const std::vector<float> again = render(*m_service, 0.6);
        QCOMPARE(again.size(), first.size());
        for (std::size_t i = 0; i < first.size(); ++i)
            QVERIFY2(std::abs(again[i] - first[i]) < 1e-4, qPrintable(QString("sample %1").arg(i)));
    }

    void playsOnceWithoutRepeat()
    {
        auto player = openPlayer(writeSong("organ.mid", organSong(4))); // 2 s
        player->play();
        QVERIFY(loudness(render(*m_service, 1.9)) > sounding);
        render(*m_service, 1.0); // the organ's release
        QVERIFY(loudness(render(*m_service, 6.0)) < silent);
        QVERIFY(player->length() > 0);
        QVERIFY(player->position() >= player->length());
    }

    // At its end a song starts again from its start when played, but only
    // with AutoRewind, also within FluidSynth's grace after the last note.
    void playAtTheEnd_data()
    {
        QTest::addColumn<bool>("autoRewind");
        QTest::addColumn<double>("waitAfterEnd");
        QTest::newRow("auto rewind, at once") << true << 0.2;
        QTest::newRow("auto rewind, later") << true << 5.0;
        QTest::newRow("no auto rewind") << false << 5.0;
    }
    void playAtTheEnd()
    {
        QFETCH(bool, autoRewind);
        QFETCH(double, waitAfterEnd);
        auto player = openPlayer(writeSong("organ.mid", organSong(4)));
        player->setAutoRewind(autoRewind);
        player->play();
        render(*m_service, 2.0 + waitAfterEnd);
        player->play();
        const double heard = loudness(render(*m_service, 0.3));
        if (autoRewind) {
            QVERIFY(heard > sounding);
            QVERIFY(player->position() < 96);
        } else {
            QVERIFY(heard < silent);
        }
    }

    // The goal tune starting silences the race tune, and sounds exactly as it
    // would alone.
    void twoTunesNeverSoundTogether()
    {
        auto race = openPlayer(writeSong("race.mid", organSong(8)));
        auto goal = openPlayer(writeSong("goal.mid", organSong(3)));
        goal->play();
        const std::vector<float> alone = render(*m_service, 0.4);
        goal->rewind();
        race->play();
        render(*m_service, 1.0);
        goal->play();
        const std::vector<float> together = render(*m_service, 0.4);
        for (std::size_t i = 0; i < alone.size(); ++i)
            QVERIFY2(std::abs(together[i] - alone[i]) < 1e-4, qPrintable(QString("sample %1").arg(i)));
        const int raceStoppedAt = race->position();
        render(*m_service, 0.5);
        QCOMPARE(race->position(), raceStoppedAt);
    }

    // Without its soundfont the game runs on in silence, and says why only
    // when asked to.
    // The synth's soundfont shows only the presets of the songs added before
    // it was made: a later song with other programs has it loaded whole
    // before it plays, or it would play on the piano.
    void laterSongWithOtherProgramsHasTheWholeSoundFont()
    {
        auto organ = openPlayer(writeSong("organ.mid", organSong(4)));
        render(*m_service, 0.1); // the synth is made: programs 0 and 19
        QLoggingCategory::setFilterRules("milta100m.sound.debug=true");
        soundMessages.clear();
        previousHandler = qInstallMessageHandler(keepSoundMessages);
        QByteArray raceTune("\x00\xC0\x26\x00\x90\x30\x64\x60\x80\x30\x00\x00\xFF\x2F\x00", 15);
        raceTune.prepend(QByteArray("MThd\0\0\0\x06\0\0\0\x01\0\x60MTrk\0\0\0\x0F", 22));
        auto bass = openPlayer(writeSong("bass.mid", raceTune)); // program 38
        bass->play();
        const double heard = loudness(render(*m_service, 0.3));
        qInstallMessageHandler(previousHandler);
        QLoggingCategory::setFilterRules(QString());
        QVERIFY(heard > sounding);
        QVERIFY2(soundMessages.contains(QStringLiteral("milta100m.sound: soundfont loaded from ")
                                        + QString::fromLatin1(MusicService::defaultSoundFont)),
                 qPrintable(soundMessages.join('\n')));
    }

    void noSoundFontIsSilence_data()
    {
        QTest::addColumn<QString>("rules");
        QTest::addColumn<bool>("told");
        QTest::newRow("by default") << QString() << false;
        QTest::newRow("asked") << "milta100m.*=true" << true;
    }
    void noSoundFontIsSilence()
    {
        QFETCH(QString, rules);
        QFETCH(bool, told);
        QLoggingCategory::setFilterRules(rules);
        soundMessages.clear();
        previousHandler = qInstallMessageHandler(keepSoundMessages);
        const QString soundFont = m_dir.filePath("none.sf2");
        m_service = std::make_unique<MusicService>(MusicService::Output::Manual, soundFont.toStdString());
        auto player = openPlayer(writeSong("organ.mid", organSong(4)));
        player->rewind();
        player->play();
        const double heard = loudness(render(*m_service, 1.0));
        qInstallMessageHandler(previousHandler);
        QLoggingCategory::setFilterRules(QString());
        QVERIFY(heard < silent);
        QVERIFY(player->position() > 0);
        if (told) {
            QVERIFY2(soundMessages.filter("milta100m.sound: ").filter(soundFont).size() == 1,
                     qPrintable(soundMessages.join('\n')));
            QVERIFY2(!soundMessages.filter("milta100m.sound.fluidsynth: ").isEmpty(), qPrintable(soundMessages.join('\n')));
        } else {
            QVERIFY2(soundMessages.isEmpty(), qPrintable(soundMessages.join('\n')));
        }
    }

    void closingSilences()
    {
        auto player = openPlayer(writeSong("organ.mid", organSong(8)));
        player->play();
        render(*m_service, 0.5);
        player.reset();
        QVERIFY(loudness(render(*m_service, 0.003)) < silent);
    }

    void openFailsWithTheLayersText_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("contents"); // null: no file
        QTest::addColumn<QString>("message");
        const QByteArray song = organSong(2);
        QTest::newRow("missing") << "none.mid" << QByteArray() << "TuneMissing: %1";
        QTest::newRow("empty") << "empty.mid" << QByteArray("") << "TuneEmpty: %1";
        QTest::newRow("truncated") << "cut.mid" << song.left(song.size() - 3) << "TuneTruncated: %1";
        QTest::newRow("not MIDI") << "text.mid" << QByteArray("not a song\n")
                                  << "TuneNotMidi: %1";
    }
    void openFailsWithTheLayersText()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, contents);
        QFETCH(QString, message);
        const QString path = contents.isNull() ? m_dir.filePath(name) : writeSong(name, contents);
        TunePlayer player(*m_service, path);
        try {
            player.open();
            QFAIL("Open succeeded");
        } catch (const EMCIDeviceError &error) {
            QCOMPARE(QString::fromUtf8(error.what()), message.arg(path));
            QCOMPARE(error.kindName(), "EMCIDeviceError");
        }
        QVERIFY(!player.isOpen());
        QVERIFY_THROWS_EXCEPTION(EMCIDeviceError, player.play());
    }

    void commandsNeedAnOpenPlayer_data()
    {
        QTest::addColumn<int>("command");
        QTest::newRow("rewind") << 0;
        QTest::newRow("play") << 1;
        QTest::newRow("stop") << 2;
    }
    void commandsNeedAnOpenPlayer()
    {
        QFETCH(int, command);
        TunePlayer player(*m_service, writeSong("organ.mid", organSong(2)));
        try {
            switch (command) {
            case 0: player.rewind(); break;
            case 1: player.play(); break;
            case 2: player.stop(); break;
            }
            QFAIL("the command went through");
        } catch (const EMCIDeviceError &error) {
            QCOMPARE(QString::fromUtf8(error.what()), QStringLiteral("TuneNotOpen"));
        }
    }

    // The shipped tunes: both sound, the race tune lasts long enough for a
    // race and the fanfare only a few seconds.
    void shippedTunes_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<double>("minSeconds");
        QTest::addColumn<double>("maxSeconds");
        QTest::newRow("race tune") << "100m.mid" << 30.0 << 60.0;
        QTest::newRow("goal tune") << "goal.mid" << 2.0 << 8.0;
    }
    void shippedTunes()
    {
        QFETCH(QString, name);
        QFETCH(double, minSeconds);
        QFETCH(double, maxSeconds);
        auto player = openPlayer(QStringLiteral(MILTA_DATA_DIR "/") + name);
        player->play();
        int quietSeconds = 0;
        double soundedFor = 0;
        for (double t = 0; t < maxSeconds + 1; t += 0.5) {
            if (loudness(render(*m_service, 0.5)) > sounding)
                soundedFor = t + 0.5;
            else if (t < minSeconds)
                ++quietSeconds;
        }
        QCOMPARE(quietSeconds, 0);
        QVERIFY2(soundedFor >= minSeconds && soundedFor <= maxSeconds + 0.5, qPrintable(QString::number(soundedFor)));
        QVERIFY(player->position() >= player->length());
    }

    // Each cue of the race by ear sounds at once, over a song or alone, with
    // an instrument the soundfont was loaded with, and is silent again once
    // released and rung out.
    void cuesSoundAndEnd_data()
    {
        QTest::addColumn<Cue>("cue");
        QTest::addColumn<bool>("overASong");
        QTest::newRow("red stride") << Cue::RedStride << false;
        QTest::newRow("blue stride over a song") << Cue::BlueStride << true;
        QTest::newRow("quarter") << Cue::Quarter << false;
        QTest::newRow("pointer off the pads") << Cue::PointerOffPads << false;
    }
    void cuesSoundAndEnd()
    {
        QFETCH(Cue, cue);
        QFETCH(bool, overASong);
        auto player = openPlayer(writeSong("one.mid", organSong(1)));
        if (overASong) {
            player->play();
            render(*m_service, 0.6); // the song's note is over; its player has reset every channel
        }
        m_service->sound(cue);
        QVERIFY(loudness(render(*m_service, 0.05)) > sounding);
        QTest::qWait(cueNote(cue).lengthMs + 20); // the note's release
        render(*m_service, 2.0);
        QVERIFY(loudness(render(*m_service, 0.1)) < silent);
    }
};

// The logging rules are the test's own, whatever the shell says.
int main(int argc, char **argv)
{
    qunsetenv("QT_LOGGING_RULES");
    QCoreApplication application(argc, argv);
    TestTunePlayer test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_tuneplayer.moc"
