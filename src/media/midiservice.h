#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include <fluidsynth/types.h>

// The game's MIDI output: one FluidSynth synthesizer with the General MIDI
// soundfont and one audio output, shared by every song. Only one song sounds
// at a time, through the one FluidSynth player that exists: a stopped song
// keeps its position here and gets a fresh player when it plays again. (A
// stopped FluidSynth player silences the synth at its next block and would cut
// the first notes of another song started before that block.)
//
// Everything that goes wrong here is silent and prints nothing: without a
// sound card or a free audio device the songs advance no further; without
// the soundfont they advance unheard.
// The audio thread renders under the service's lock, which also guards every
// change to the players (FluidSynth keeps its players in lists that it does
// not lock itself).
// The synth, its soundfont and the audio output are made on a thread of their
// own, started by prepare() once the race screen is on show, so that they cost
// the start-up nothing; the first play or render starts them if need be and
// waits for them, long done by the time a race starts.
class MidiService
{
public:
    enum class Output {
        AudioDevice, // the host's sound card, when there is one
        Manual,      // nothing renders but render(): for checks without a sound card
    };
    using SongId = int;

    static constexpr const char *defaultSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";

    explicit MidiService(Output output, const std::string &soundFont = defaultSoundFont);
    ~MidiService();
    MidiService(const MidiService &) = delete;
    MidiService &operator=(const MidiService &) = delete;

    // The service of the game's players, made when the first one opens and
    // released with the last one. User-interface thread only.
    static std::shared_ptr<MidiService> shared();
    // Starts making the shared service's synth, if there is a service.
    static void prepareShared();

    // Starts making the synth on its own thread, once. User-interface thread.
    void prepare();

    // Takes the bytes of a checked standard MIDI file; the song stands
    // stopped at its start.
    SongId addSong(std::string bytes);
    // Silences the song if it sounds and forgets it.
    void removeSong(SongId song);

    // Stopped at the start, silent at once.
    void rewind(SongId song);
    // Sounds from the current position to the end, once; silences any other
    // song first. Returns at once.
    void play(SongId song);
    // Silent at once; the position stays.
    void stop(SongId song);

    // Position and length in MIDI ticks. The length is 0 until the song has
    // first been played: FluidSynth reads a song when it starts it.
    int position(SongId song);
    int length(SongId song);

    // Renders the next `frames` samples of both channels. Only for
    // Output::Manual: a sound card's thread renders by itself.
    void render(float *left, float *right, int frames);

private:
    struct Song {
        std::string bytes;
        fluid_player_t *player = nullptr; // only while it plays or has ended
        int tick = 0;                     // where the player started, or stopped
        int length = 0;                   // known once it has played
    };

    void loadSynth();
    void waitForSynth();

    static int renderFromDevice(void *service, int frames, int, float *[], int outputs, float *out[]);
    Song *find(SongId song);
    int positionOf(const Song &song) const;
    void dropPlayer(Song &song);

    std::mutex m_lock;
    fluid_settings_t *m_settings = nullptr;
    fluid_synth_t *m_synth = nullptr;
    fluid_audio_driver_t *m_driver = nullptr;
    std::map<SongId, Song> m_songs;
    SongId m_nextId = 1;
    SongId m_current = 0; // the song that has the player, 0 for none
    const Output m_output;
    const std::string m_soundFont;
    bool m_prepared = false;
    std::thread m_loader; // makes the settings, synth and driver; joined before use
};
