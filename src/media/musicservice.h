#pragma once

#include "media/cuesounds.h"

#include <functional>
#include <memory>
#include <string>

// The game's music: one FluidSynth synthesizer with the General MIDI soundfont
// and, while a song can be sounding, one audio output. The application owns
// the one service and hands it to the race screen's tune players; it belongs
// to the user-interface thread that made it and outlives the players.
//
// Only one song sounds at a time. A stopped song keeps its position and gets
// a fresh FluidSynth player when it plays again.
//
// Nothing that goes wrong here stops the game or prints anything by default:
// without a sound card or a free audio device the songs advance no further,
// without the soundfont they advance unheard. The reasons are logged in the
// categories milta100m.sound (the service's own events),
// milta100m.sound.fluidsynth and milta100m.sound.alsa, all off by default:
// QT_LOGGING_RULES="milta100m.*=true" shows them.
//
// The synth is made on a thread of its own, started by prepare(), so that it
// costs the start-up nothing; the first play or render starts it if need be
// and waits for it.
//
// The audio output's thread wakes the program every block, even to render
// silence, so the output exists only while a song can sound: a play opens it;
// once the event being handled is done, a check queued by a stop, rewind or
// removal closes it if nothing sounds. A stop followed by a play in the same
// handler (the finish: race tune stopped, goal tune played) therefore keeps
// the one output. A song that ends by itself is noticed on the output's
// thread, which queues the same check.
class MusicService
{
public:
    enum class Output {
        SoundCard, // the host's sound card through FluidSynth's audio driver: the game's
        Manual,    // never opens any device; songs advance only through render(): every unit/widget test
    };

    // An open audio output: a thread of its own renders each block until the
    // output is deleted, which stops that thread and waits for it.
    class AudioOutput
    {
    public:
        virtual ~AudioOutput() = default;
    };
    // Renders the next block of both channels; called on the output's thread.
    using RenderBlock = std::function<void(float *left, float *right, int frames)>;
    // Opens an output that renders with `render`; null when there is none.
    using OutputOpener = std::function<std::unique_ptr<AudioOutput>(RenderBlock render)>;
    using SongId = int;

    static constexpr const char *defaultSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";

    explicit MusicService(Output output, std::string soundFont = defaultSoundFont);
    // Songs sound through outputs that `openOutput` opens instead of the
    // sound card's.
    explicit MusicService(OutputOpener openOutput, std::string soundFont = defaultSoundFont);
    virtual ~MusicService();
    MusicService(const MusicService &) = delete;
    MusicService &operator=(const MusicService &) = delete;

    // Starts making the synth on its own thread; later calls do nothing.
    void prepare();

    // Renders the next `frames` samples of both channels: Manual only (an
    // output's thread renders by itself).
    void render(float *left, float *right, int frames);

    // The tune players' side.
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
    int position(SongId song) const;
    int length(SongId song) const;

    // The race by ear's side: the cue's note, over whatever song sounds, held
    // for its length. Returns at once; the output stays open until the note
    // has rung out.
    virtual void sound(Cue cue);

private:
    struct Private;
    const std::unique_ptr<Private> d;
};
