// The soundfont as the synth reads it with the presets of some programs only:
// every tune sounds as with the whole soundfont, sample for sample.
#include "media/midifile.h"
#include "media/soundfontview.h"

#include "synth.h"
#include "testfile.h"

#include <fluidsynth.h>

#include <QtTest>

#include <vector>

namespace {

// The whole song on the game's synth settings, its player timed by the
// samples rendered; the soundfont loaded by the name its view answers to.
std::vector<float> renderSong(const std::string &soundFontName, const QByteArray &song)
{
    fluid_settings_t *settings = new_fluid_settings();
    fluid_settings_setint(settings, "synth.lock-memory", 0);
    fluid_settings_setint(settings, "synth.polyphony", 128);
    fluid_settings_setint(settings, "synth.dynamic-sample-loading", 1);
    fluid_settings_setint(settings, "synth.reverb.active", 0);
    fluid_settings_setint(settings, "synth.chorus.active", 0);
    fluid_settings_setstr(settings, "player.timing-source", "sample");
    fluid_synth_t *synth = new_fluid_synth(settings);
    fluid_sfloader_t *views = new_fluid_defsfloader(settings);
    fluid_sfloader_set_callbacks(views, SoundFontView::openForSynth, SoundFontView::readForSynth,
                                 SoundFontView::seekForSynth, SoundFontView::tellForSynth,
                                 SoundFontView::closeForSynth);
    fluid_synth_add_sfloader(synth, views);
    std::vector<float> heard;
    if (fluid_synth_sfload(synth, soundFontName.c_str(), 1) != FLUID_FAILED) {
        fluid_player_t *player = new_fluid_player(synth);
        fluid_player_add_mem(player, song.constData(), song.size());
        fluid_player_play(player);
        constexpr int block = 64;
        float left[block], right[block];
        while (fluid_player_get_status(player) == FLUID_PLAYER_PLAYING) {
            fluid_synth_write_float(synth, block, left, 0, 1, right, 0, 1);
            heard.insert(heard.end(), left, left + block);
            heard.insert(heard.end(), right, right + block);
        }
        delete_fluid_player(player);
    }
    delete_fluid_synth(synth);
    delete_fluid_settings(settings);
    return heard;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray le(quint32 value, int size)
{
    QByteArray bytes;
    for (int i = 0; i < size; ++i)
        bytes += char((value >> (8 * i)) & 0xFF);
    return bytes;
}

QByteArray riffChunk(const QByteArray &id, const QByteArray &data) { return id + le(data.size(), 4) + data; }

} // namespace

class TestSoundFontView : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { SKIP_WITHOUT_SYNTH(); }

    void tunesSoundAsWithTheWholeSoundFont_data()
    {
        QTest::addColumn<QString>("tune");
        QTest::addColumn<bool>("withItsPrograms");
        QTest::newRow("race tune") << "100m.mid" << true;
        QTest::newRow("goal tune") << "goal.mid" << true;
        // The comparison can tell: without its programs the tune falls back to the piano.
        QTest::newRow("race tune without its programs") << "100m.mid" << false;
    }
    void tunesSoundAsWithTheWholeSoundFont()
    {
        QFETCH(QString, tune);
        QFETCH(bool, withItsPrograms);
        const QByteArray song = readAll(QStringLiteral(MILTA_DATA_DIR "/") + tune);
        std::optional<std::bitset<128>> programs = programsChosen(song.toStdString());
        QVERIFY(programs);
        if (!withItsPrograms)
            programs->reset();
        programs->set(0);
        const std::string soundFont = MusicService::defaultSoundFont;
        const std::vector<float> whole = renderSong(soundFont, song);
        const std::vector<float> picked = renderSong(SoundFontView::nameOf(soundFont, programs), song);
        QVERIFY(whole.size() > 44100 * 2 * 5);
        QCOMPARE(picked == whole, withItsPrograms);
    }

    // A file laid out otherwise than SoundFont 2 has it is shown as it is.
    void otherFilesShownWhole_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray zone = le(0, 2) + le(0, 2);
        const QByteArray pianoAt0 = QByteArray(20, 'p') + le(0, 2) + le(0, 2) + le(0, 2) + QByteArray(12, '\0');
        const QByteArray terminal = QByteArray(20, 'E') + le(0, 2) + le(0, 2) + le(1, 2) + QByteArray(12, '\0');
        const QByteArray rest = riffChunk("pmod", QByteArray(10, '\0')) + riffChunk("pgen", QByteArray(4, '\0'))
                                + riffChunk("inst", QByteArray(22, 'i'));
        auto font = [](const QByteArray &pdta) {
            return riffChunk("RIFF", "sfbk" + riffChunk("LIST", "INFO") + riffChunk("LIST", "pdta" + pdta));
        };
        QTest::newRow("not a soundfont") << QByteArray("MThd\0\0\0\x06", 8);
        QTest::newRow("no preset list") << riffChunk("RIFF", "sfbk" + riffChunk("LIST", "INFO"));
        QTest::newRow("zones before headers")
            << font(riffChunk("pbag", zone + zone) + riffChunk("phdr", pianoAt0 + terminal) + rest);
        QTest::newRow("zones going back")
            << font(riffChunk("phdr", pianoAt0.left(24) + le(1, 2) + pianoAt0.mid(26) + terminal.left(24) + le(0, 2)
                                          + terminal.mid(26))
                    + riffChunk("pbag", zone + zone) + rest);
    }
    void otherFilesShownWhole()
    {
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const QString path = writeTestFile(dir, "odd.sf2", bytes);
        std::bitset<128> piano;
        piano.set(0);
        const auto view = SoundFontView::open(path.toStdString(), piano);
        QVERIFY(view);
        QByteArray seen(int(view->size()), '\0');
        QVERIFY(view->read(seen.data(), seen.size()));
        QCOMPARE(seen, bytes);
    }
};

QTEST_GUILESS_MAIN(TestSoundFontView)
#include "tst_soundfontview.moc"
