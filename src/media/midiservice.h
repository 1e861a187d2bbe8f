#pragma once

#include <functional>
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
// The synth and its soundfont are made on a thread of their own, started by
// prepare() once the race screen is on show, so that they cost the start-up
// nothing; the first play or render starts them if need be and waits for
// them, long done by the time a race starts.
// The sound card's output exists only while a song can be sounding: its thread
// wakes the program every audio block, even to render silence. A play opens it
// (a fraction of a millisecond); a stop, rewind or removal that leaves nothing
// sounding closes it; a song that ends by itself is noticed on the output's
// thread, which cannot close its own output: it calls the silence handler,
// whose owner then calls closeIfSilent() on the user-interface thread.
class MidiService
{
public:
    enum class Output {
        AudioDevice, // the host's sound card, when there is one
        Manual,      // nothing renders but render(): for checks without a sound card
    };
    using SongId = int;

    // A sound card's output while it is open: a thread of its own renders
    // each block. Deleting it stops that thread and waits for it.
    class AudioOutput
    {
    public:
        virtual ~AudioOutput() = default;
    };
    // Renders the next block of both channels; called on the output's thread.
    using RenderBlock = std::function<void(float *left, float *right, int frames)>;
    // Opens an output on the synth's settings; null when there is no device.
    using OutputOpener = std::function<std::unique_ptr<AudioOutput>(fluid_settings_t *settings, RenderBlock render)>;

    static constexpr const char *defaultSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";

    // An AudioDevice service opens its output with `openOutput`, FluidSynth's
    // own audio driver when empty.
    explicit MidiService(Output output, const std::string &soundFont = defaultSoundFont,
                         OutputOpener openOutput = {});
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

    // Called on the output's thread, under the service's lock, when a song
    // has ended by itself or nothing sounds: the handler only passes the
    // news on to the user-interface thread. User-interface thread.
    void setSilenceHandler(std::function<void()> handler);
    // Closes the output if no song sounds. User-interface thread.
    void closeIfSilent();

private:
    struct Song {
        std::string bytes;
        fluid_player_t *player = nullptr; // only while it plays or has ended
        int tick = 0;                     // where the player started, or stopped
        int length = 0;                   // known once it has played
    };

    void loadSynth();
    void waitForSynth();

    void renderFromDevice(float *left, float *right, int frames);
    bool sounding() const;
    void openOutput();
    Song *find(SongId song);
    int positionOf(const Song &song) const;
    void dropPlayer(Song &song);

    std::mutex m_lock;
    fluid_settings_t *m_settings = nullptr;
    fluid_synth_t *m_synth = nullptr;
    std::unique_ptr<AudioOutput> m_audio; // user-interface thread only
    std::function<void()> m_silenceHandler;
    bool m_silenceReported = false; // since the last play
    std::map<SongId, Song> m_songs;
    SongId m_nextId = 1;
    SongId m_current = 0; // the song that has the player, 0 for none
    const Output m_output;
    const std::string m_soundFont;
    const OutputOpener m_openOutput;
    bool m_prepared = false;
    std::thread m_loader; // makes the settings and synth; joined before use
};
