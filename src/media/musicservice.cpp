#include "media/musicservice.h"

#include "media/midifile.h"
#include "media/soundfontview.h"

#include <alsa/asoundlib.h>
#include <dlfcn.h>
#include <fluidsynth.h>
#include <malloc.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <array>
#include <bitset>
#include <cerrno>
#include <chrono>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <string_view>
#include <system_error>
#include <thread>
#include <type_traits>

namespace {

// A default run prints nothing: the service logs below the critical level,
// which is where these categories start.
Q_LOGGING_CATEGORY(soundLog, "milta100m.sound", QtCriticalMsg)
Q_LOGGING_CATEGORY(fluidSynthLog, "milta100m.sound.fluidsynth", QtCriticalMsg)
Q_LOGGING_CATEGORY(alsaLog, "milta100m.sound.alsa", QtCriticalMsg)

// Voices the synth can sound at once: the game's tunes need at most 22, a
// busy pop arrangement 100 (docs/performance.md). FluidSynth's default of 256
// only costs memory; beyond the limit it takes the quietest voices.
constexpr int polyphony = 128;

// How long a cue's note sounds on after its release, at most: the output
// stays open that long.
constexpr std::chrono::milliseconds cueReleaseTail{1000};

// FluidSynth and the forty libraries it pulls in cost the start-up about ten
// milliseconds and four megabytes when the program is linked with them, so
// the synth's thread opens them itself, the first time it runs.
#define MILTA_FLUID_FUNCTIONS(F) \
    F(delete_fluid_audio_driver) \
    F(delete_fluid_player) \
    F(delete_fluid_settings) \
    F(delete_fluid_synth) \
    F(fluid_player_add_mem) \
    F(fluid_player_get_current_tick) \
    F(fluid_player_get_status) \
    F(fluid_player_get_total_ticks) \
    F(fluid_player_play) \
    F(fluid_player_seek) \
    F(fluid_player_set_loop) \
    F(fluid_player_stop) \
    F(fluid_set_log_function) \
    F(fluid_settings_copystr) \
    F(fluid_settings_setint) \
    F(fluid_settings_setnum) \
    F(fluid_sfloader_set_callbacks) \
    F(fluid_synth_add_sfloader) \
    F(fluid_synth_all_sounds_off) \
    F(fluid_synth_get_program) \
    F(fluid_synth_noteoff) \
    F(fluid_synth_noteon) \
    F(fluid_synth_program_change) \
    F(fluid_synth_sfload) \
    F(fluid_synth_sfunload) \
    F(fluid_synth_write_float) \
    F(fluid_version_str) \
    F(new_fluid_audio_driver2) \
    F(new_fluid_defsfloader) \
    F(new_fluid_player) \
    F(new_fluid_settings) \
    F(new_fluid_synth) \
    F(snd_lib_error_set_handler) \
    F(snd_strerror)

struct FluidLibrary
{
#define MILTA_DECLARE(name) decltype(&::name) name = nullptr;
    MILTA_FLUID_FUNCTIONS(MILTA_DECLARE)
#undef MILTA_DECLARE
    bool loaded = false;
};

// What goes wrong while a FluidSynth audio driver opens, for the log line
// that says why there is no output. Set only on the thread that opens it.
thread_local std::string *driverErrors = nullptr;

// FluidSynth and ALSA call these on whatever thread logs. FluidSynth's debug
// level is left out: it traces every preset and sample a song takes up, some
// hundred lines a race, and never says why there is no sound.
void logFluidSynth(int level, const char *message, void *) noexcept
{
    if (level <= FLUID_ERR && driverErrors)
        *driverErrors = message;
    if (level <= FLUID_WARN)
        qCWarning(fluidSynthLog, "%s", message);
    else
        qCInfo(fluidSynthLog, "%s", message);
}

void logAlsa(const char *file, int line, const char *function, int error, const char *format, ...) noexcept;

// The libraries stay open for the life of the program; a missing one leaves
// the game silent, as a missing sound card does.
FluidLibrary openFluidLibrary()
{
    FluidLibrary library;
    void *fluidsynth = dlopen("libfluidsynth.so.3", RTLD_NOW | RTLD_LOCAL);
    void *alsa = fluidsynth ? dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL) : nullptr;
    if (!alsa) {
        qCWarning(soundLog, "FluidSynth not loaded (%s): the game stays silent", dlerror());
        return library;
    }
    library.loaded = true;
#define MILTA_RESOLVE(name)                                                                \
    library.name = reinterpret_cast<decltype(&::name)>(                                    \
        dlsym(std::string_view(#name).starts_with("snd_") ? alsa : fluidsynth, #name));   \
    library.loaded = library.loaded && library.name;
    MILTA_FLUID_FUNCTIONS(MILTA_RESOLVE)
#undef MILTA_RESOLVE
    if (!library.loaded) {
        qCWarning(soundLog, "FluidSynth lacks a function the game uses: the game stays silent");
        return library;
    }
    for (int level = FLUID_PANIC; level < LAST_LOG_LEVEL; ++level)
        library.fluid_set_log_function(level, level == FLUID_DBG ? nullptr : logFluidSynth, nullptr);
    library.snd_lib_error_set_handler(logAlsa);
    return library;
}

// Called first on the synth's thread; every later caller finds it open.
const FluidLibrary &fluid()
{
    static const FluidLibrary library = openFluidLibrary();
    return library;
}

void logAlsa(const char *file, int line, const char *function, int error, const char *format, ...) noexcept
{
    char message[512];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(message, sizeof message, format, arguments);
    va_end(arguments);
    if (error != 0)
        qCWarning(alsaLog, "%s:%d:(%s) %s: %s", file, line, function, message, fluid().snd_strerror(error));
    else
        qCWarning(alsaLog, "%s:%d:(%s) %s", file, line, function, message);
}

static_assert(FLUID_OK == 0 && FLUID_FAILED == -1 && std::is_same_v<fluid_long_long_t, long long>,
              "SoundFontView's file callbacks answer as FluidSynth's");

// The sound card through FluidSynth's audio driver.
class FluidOutput : public MusicService::AudioOutput
{
public:
    explicit FluidOutput(MusicService::RenderBlock render) : m_render(std::move(render)) {}
    ~FluidOutput() override
    {
        if (!m_driver)
            return;
        fluid().delete_fluid_audio_driver(m_driver);
        qCDebug(soundLog, "audio output closed");
    }
    bool open(fluid_settings_t *settings)
    {
        m_driver = fluid().new_fluid_audio_driver2(settings, renderBlock, this);
        return m_driver != nullptr;
    }

private:
    static int renderBlock(void *data, int frames, int, float *[], int outputs, float *out[]) noexcept
    {
        if (outputs >= 2)
            static_cast<FluidOutput *>(data)->m_render(out[0], out[1], frames);
        return FLUID_OK;
    }

    MusicService::RenderBlock m_render;
    fluid_audio_driver_t *m_driver = nullptr;
};

std::unique_ptr<MusicService::AudioOutput> openSoundCard(fluid_settings_t *settings, MusicService::RenderBlock render)
{
    char driver[64] = "";
    fluid().fluid_settings_copystr(settings, "audio.driver", driver, sizeof driver);
    auto output = std::make_unique<FluidOutput>(std::move(render));
    std::string errors;
    driverErrors = &errors;
    const bool opened = output->open(settings);
    driverErrors = nullptr;
    if (!opened) {
        qCWarning(soundLog, "no audio output: FluidSynth's \"%s\" driver refused the sound card (%s); "
                            "the songs stay silent", driver, errors.empty() ? "no reason given" : errors.c_str());
        return nullptr;
    }
    qCDebug(soundLog, "audio output opened: FluidSynth's \"%s\" driver", driver);
    return output;
}

} // namespace

struct MusicService::Private
{
    using Programs = std::optional<std::bitset<128>>; // nothing: any program

    struct Song {
        std::string bytes;
        Programs programs;                // the programs the song can choose
        fluid_player_t *player = nullptr; // only while it plays or has ended
        int tick = 0;                     // where the player started, or stopped
        int length = 0;                   // known once it has played
    };

    Private(OutputOpener openOutput, std::string soundFont);
    ~Private();

    Programs programsWanted() const;
    void loadSynth(Programs programs) noexcept;
    void loadSoundFont(Programs programs) noexcept;
    bool soundFontHolds(const Song &song) const;
    void waitForSynth();
    void renderFromOutput(float *left, float *right, int frames) noexcept;
    bool sounding() const;
    void openOutputIfClosed();
    void queueSilenceCheck() noexcept;
    void closeLaterIfSilent();
    void closeIfSilent() noexcept;
    Song *find(SongId id);
    const Song *find(SongId id) const;
    int positionOf(const Song &song) const;
    void dropPlayer(Song &song);

    const OutputOpener openOutput; // empty: Output::Manual
    const std::string soundFont;
    // A silence check is queued by a write to this event counter, which the
    // thread that made the service reads once its current event is done: the
    // output's thread neither allocates nor takes the toolkit's locks.
    int silenceChecks = -1;
    std::unique_ptr<QSocketNotifier> silenceCheckDue;

    // The output's thread renders under this lock, which also guards every
    // change to the players: FluidSynth keeps its players in lists that it
    // does not lock itself.
    mutable std::mutex lock;
    fluid_settings_t *settings = nullptr;
    fluid_synth_t *synth = nullptr;
    int soundFontId = FLUID_FAILED;
    Programs soundFontPrograms; // whose presets the loaded view shows; nothing: all
    std::map<SongId, Song> songs;
    SongId current = 0;             // the song that has the player, 0 for none
    bool silenceReported = false;   // by the output's thread, since the last play or cue
    std::chrono::steady_clock::time_point cuesRingUntil; // the last cue's note, with its release

    // The service's own thread only.
    // Cue notes struck and not released yet, by channel and key: a note struck
    // again while it sounds is released once, after its last strike.
    std::array<std::array<int, 128>, 16> cueStrikes = {};
    QObject cueReleases; // the timers that release them

    std::unique_ptr<AudioOutput> audio;
    SongId nextId = 1;
    bool prepared = false;
    std::thread loader; // makes the settings and synth; joined before use
};

// The sound card's driver opens on the settings, made by the time a song
// plays.
MusicService::MusicService(Output output, std::string soundFont)
    : MusicService(output == Output::Manual ? OutputOpener()
                                            : OutputOpener([this](RenderBlock render) {
                                                  return openSoundCard(d->settings, std::move(render));
                                              }),
                   std::move(soundFont))
{
}

MusicService::MusicService(OutputOpener openOutput, std::string soundFont)
    : d(std::make_unique<Private>(std::move(openOutput), std::move(soundFont)))
{
}

MusicService::Private::Private(OutputOpener openOutput, std::string soundFont)
    : openOutput(std::move(openOutput)), soundFont(std::move(soundFont))
{
    if (!this->openOutput)
        return;
    silenceChecks = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (silenceChecks < 0) {
        qCWarning(soundLog, "no event counter (%s): an audio output stays open until the game ends",
                  std::strerror(errno));
        return;
    }
    silenceCheckDue = std::make_unique<QSocketNotifier>(silenceChecks, QSocketNotifier::Read);
    QObject::connect(silenceCheckDue.get(), &QSocketNotifier::activated, [this] {
        std::uint64_t queued = 0;
        if (read(silenceChecks, &queued, sizeof queued) > 0)
            closeIfSilent();
    });
}

MusicService::Private::~Private()
{
    silenceCheckDue.reset();
    if (silenceChecks >= 0)
        close(silenceChecks);
}

MusicService::~MusicService()
{
    if (d->loader.joinable())
        d->loader.join();
    // The output's thread takes the lock, so it must be gone before the
    // players and the synth, and it is stopped without holding the lock.
    d->audio.reset();
    for (auto &[id, song] : d->songs)
        if (song.player)
            fluid().delete_fluid_player(song.player);
    if (d->synth)
        fluid().delete_fluid_synth(d->synth);
    if (d->settings)
        fluid().delete_fluid_settings(d->settings);
}

void MusicService::prepare()
{
    if (d->prepared)
        return;
    d->prepared = true;
    const Private::Programs programs = d->programsWanted();
    try {
        d->loader = std::thread(&Private::loadSynth, d.get(), programs);
    } catch (const std::system_error &error) {
        qCWarning(soundLog, "no thread for the synth (%s): made at once", error.what());
        d->loadSynth(programs);
    }
}

// The programs of every song added so far, the cues' programs, and program
// 0, which every channel holds until a song chooses another.
MusicService::Private::Programs MusicService::Private::programsWanted() const
{
    std::bitset<128> programs;
    programs.set(0);
    for (const CueNote &note : CueNotes)
        programs.set(note.program);
    for (const auto &[id, song] : songs) {
        if (!song.programs)
            return std::nullopt;
        programs |= *song.programs;
    }
    return programs;
}

void MusicService::Private::loadSynth(Programs programs) noexcept
{
    QElapsedTimer clock;
    clock.start();
    if (!fluid().loaded)
        return;
    settings = fluid().new_fluid_settings();
    if (!settings)
        return;
    fluid().fluid_settings_setint(settings, "synth.lock-memory", 0);
    fluid().fluid_settings_setint(settings, "synth.polyphony", polyphony);
    // Sample data is read when a preset is first chosen on a channel, so
    // only the instruments the tunes use come into memory.
    fluid().fluid_settings_setint(settings, "synth.dynamic-sample-loading", 1);
    // Without reverb and chorus a stopped song falls silent at once.
    fluid().fluid_settings_setint(settings, "synth.reverb.active", 0);
    fluid().fluid_settings_setint(settings, "synth.chorus.active", 0);
    // The game's tunes peak at about half of full scale with this gain.
    fluid().fluid_settings_setnum(settings, "synth.gain", 0.5);
    synth = fluid().new_fluid_synth(settings);
    if (!synth) {
        qCWarning(soundLog, "FluidSynth made no synth: the game stays silent");
        return;
    }
    // FluidSynth makes every preset of a soundfont as it loads it; the
    // songs' programs are all it needs to see.
    if (fluid_sfloader_t *views = fluid().new_fluid_defsfloader(settings)) {
        fluid().fluid_sfloader_set_callbacks(views, SoundFontView::openForSynth, SoundFontView::readForSynth,
                                              SoundFontView::seekForSynth, SoundFontView::tellForSynth,
                                              SoundFontView::closeForSynth);
        fluid().fluid_synth_add_sfloader(synth, views);
    } else {
        programs = std::nullopt;
    }
    loadSoundFont(programs);
    // Reading the soundfont leaves this thread's heap full of freed blocks
    // among the ones the synth keeps (1.8 MB of the game's); give their pages
    // back.
    malloc_trim(0);
    qCDebug(soundLog, "synth ready after %lld ms: FluidSynth %s, %d voices", clock.elapsed(),
            fluid().fluid_version_str(), polyphony);
}

// Under the lock, or before anything renders.
void MusicService::Private::loadSoundFont(Programs programs) noexcept
{
    const std::string name = SoundFontView::nameOf(soundFont, programs);
    soundFontId = fluid().fluid_synth_sfload(synth, name.c_str(), 1);
    if (soundFontId == FLUID_FAILED && programs) {
        soundFontId = fluid().fluid_synth_sfload(synth, soundFont.c_str(), 1);
        if (soundFontId != FLUID_FAILED)
            qCWarning(soundLog, "soundfont %s loaded whole: its presets could not be picked", soundFont.c_str());
        programs = std::nullopt;
    } else if (soundFontId != FLUID_FAILED) {
        qCDebug(soundLog, "soundfont loaded from %s", name.c_str());
    }
    // Nothing more to load after a failure.
    soundFontPrograms = soundFontId == FLUID_FAILED ? std::nullopt : programs;
    if (soundFontId == FLUID_FAILED)
        qCWarning(soundLog, "soundfont %s not loaded: the songs play unheard", soundFont.c_str());
}

bool MusicService::Private::soundFontHolds(const Song &song) const
{
    return !soundFontPrograms || (song.programs && (*song.programs & ~*soundFontPrograms).none());
}

// Only the service's own thread waits, and never under the lock.
void MusicService::Private::waitForSynth()
{
    if (!prepared) {
        prepared = true;
        loadSynth(programsWanted());
    } else if (loader.joinable()) {
        loader.join();
    }
}

void MusicService::Private::renderFromOutput(float *left, float *right, int frames) noexcept
{
    bool silenceFound = false;
    {
        std::lock_guard guard(lock);
        fluid().fluid_synth_write_float(synth, frames, left, 0, 1, right, 0, 1);
        if (!silenceReported && !sounding())
            silenceReported = silenceFound = true;
    }
    // The output cannot close itself from its own thread.
    if (silenceFound)
        queueSilenceCheck();
}

// A song that has ended sounds on until FluidSynth's grace after its last
// event is over: the release of its last notes. A cue sounds until its
// release is over.
bool MusicService::Private::sounding() const
{
    if (std::chrono::steady_clock::now() < cuesRingUntil)
        return true;
    const auto playing = songs.find(current);
    return playing != songs.end() && playing->second.player
        && fluid().fluid_player_get_status(playing->second.player) != FLUID_PLAYER_DONE;
}

void MusicService::Private::openOutputIfClosed()
{
    if (openOutput && !audio)
        audio = openOutput([this](float *left, float *right, int frames) { renderFromOutput(left, right, frames); });
}

// The check runs once the event being handled is done, so that a play later
// in the same handler finds the output still open.
void MusicService::Private::queueSilenceCheck() noexcept
{
    if (silenceChecks < 0)
        return;
    // Fails only when the counter is full: a check is due anyway.
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = write(silenceChecks, &one, sizeof one);
}

// After a stop, rewind or removal on the service's own thread.
void MusicService::Private::closeLaterIfSilent()
{
    if (audio)
        queueSilenceCheck();
}

// The output is closed without the lock: its thread takes the lock for each
// block. Only this thread starts songs, so nothing starts in between.
void MusicService::Private::closeIfSilent() noexcept
{
    if (!audio)
        return;
    {
        std::lock_guard guard(lock);
        if (sounding())
            return;
    }
    audio.reset();
}

void MusicService::render(float *left, float *right, int frames)
{
    d->waitForSynth();
    std::lock_guard guard(d->lock);
    if (d->synth) {
        fluid().fluid_synth_write_float(d->synth, frames, left, 0, 1, right, 0, 1);
    } else {
        std::fill(left, left + frames, 0.0f);
        std::fill(right, right + frames, 0.0f);
    }
}

MusicService::Private::Song *MusicService::Private::find(SongId id)
{
    auto found = songs.find(id);
    return found == songs.end() ? nullptr : &found->second;
}

const MusicService::Private::Song *MusicService::Private::find(SongId id) const
{
    auto found = songs.find(id);
    return found == songs.end() ? nullptr : &found->second;
}

// A player started at a kept position shows its old tick until it first runs.
int MusicService::Private::positionOf(const Song &song) const
{
    return song.player ? std::max(song.tick, fluid().fluid_player_get_current_tick(song.player)) : song.tick;
}

// Keeps the position and length of the song, ends its player and cuts every
// note it left sounding, without a release tail.
void MusicService::Private::dropPlayer(Song &song)
{
    if (!song.player)
        return;
    song.tick = positionOf(song);
    song.length = std::max(song.length, fluid().fluid_player_get_total_ticks(song.player));
    fluid().fluid_player_stop(song.player);
    fluid().delete_fluid_player(song.player);
    song.player = nullptr;
    fluid().fluid_synth_all_sounds_off(synth, -1);
    current = 0;
}

MusicService::SongId MusicService::addSong(std::string bytes)
{
    std::lock_guard guard(d->lock);
    const SongId id = d->nextId++;
    Private::Song &song = d->songs[id];
    song.programs = programsChosen(bytes);
    song.bytes = std::move(bytes);
    return id;
}

void MusicService::removeSong(SongId id)
{
    {
        std::lock_guard guard(d->lock);
        if (Private::Song *song = d->find(id)) {
            d->dropPlayer(*song);
            d->songs.erase(id);
        }
    }
    d->closeLaterIfSilent();
}

// A fresh player, never a seek back to 0: FluidSynth 2.3 skips the first
// note after a very short play when an old player is sought back.
void MusicService::rewind(SongId id)
{
    {
        std::lock_guard guard(d->lock);
        if (Private::Song *song = d->find(id)) {
            d->dropPlayer(*song);
            song->tick = 0;
        }
    }
    d->closeLaterIfSilent();
}

void MusicService::play(SongId id)
{
    d->waitForSynth();
    // Only this thread changes the list of songs: no lock needed to read it.
    if (!d->synth || !d->songs.contains(id))
        return;
    d->openOutputIfClosed();
    std::lock_guard guard(d->lock);
    Private::Song &song = *d->find(id);
    d->silenceReported = false;
    if (d->current != id) {
        if (Private::Song *other = d->find(d->current))
            d->dropPlayer(*other);
        // A song added after the synth was made may choose programs the
        // soundfont was loaded without: then it is loaded whole.
        if (!d->soundFontHolds(song)) {
            fluid().fluid_synth_sfunload(d->synth, d->soundFontId, 1);
            d->loadSoundFont(std::nullopt);
        }
        song.player = fluid().new_fluid_player(d->synth);
        if (!song.player)
            return;
        fluid().fluid_player_set_loop(song.player, 1);
        fluid().fluid_player_add_mem(song.player, song.bytes.data(), song.bytes.size());
        // A seek replays the song's own instruments and controllers up to
        // where it stopped, without its notes.
        if (song.tick > 0)
            fluid().fluid_player_seek(song.player, song.tick);
        d->current = id;
    }
    fluid().fluid_player_play(song.player);
}

void MusicService::stop(SongId id)
{
    {
        std::lock_guard guard(d->lock);
        if (Private::Song *song = d->find(id))
            d->dropPlayer(*song);
    }
    d->closeLaterIfSilent();
}

int MusicService::position(SongId id) const
{
    std::lock_guard guard(d->lock);
    const Private::Song *song = d->find(id);
    return song ? d->positionOf(*song) : 0;
}

int MusicService::length(SongId id) const
{
    std::lock_guard guard(d->lock);
    const Private::Song *song = d->find(id);
    if (!song)
        return 0;
    return song->player ? std::max(song->length, fluid().fluid_player_get_total_ticks(song->player)) : song->length;
}

void MusicService::sound(Cue cue)
{
    d->waitForSynth();
    if (!d->synth)
        return;
    const CueNote &note = cueNote(cue);
    d->openOutputIfClosed();
    {
        std::lock_guard guard(d->lock);
        // A song's player resets every channel as it starts; choosing the
        // same instrument again would read its samples again.
        int font = 0, bank = 0, program = -1;
        fluid().fluid_synth_get_program(d->synth, note.channel, &font, &bank, &program);
        if (program != note.program)
            fluid().fluid_synth_program_change(d->synth, note.channel, note.program);
        fluid().fluid_synth_noteon(d->synth, note.channel, note.key, note.velocity);
        d->cuesRingUntil = std::max(d->cuesRingUntil, std::chrono::steady_clock::now()
                                                          + std::chrono::milliseconds(note.lengthMs) + cueReleaseTail);
        d->silenceReported = false;
    }
    ++d->cueStrikes[note.channel][note.key];
    QTimer::singleShot(note.lengthMs, &d->cueReleases, [this, note] {
        if (--d->cueStrikes[note.channel][note.key] > 0)
            return;
        std::lock_guard guard(d->lock);
        fluid().fluid_synth_noteoff(d->synth, note.channel, note.key);
    });
}
