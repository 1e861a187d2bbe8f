#include "media/midiservice.h"

#include <alsa/asoundlib.h>
#include <dlfcn.h>
#include <fluidsynth.h>

#include <algorithm>
#include <string_view>

namespace {

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
    F(fluid_settings_setint) \
    F(fluid_settings_setnum) \
    F(fluid_synth_all_sounds_off) \
    F(fluid_synth_sfload) \
    F(fluid_synth_write_float) \
    F(new_fluid_audio_driver2) \
    F(new_fluid_player) \
    F(new_fluid_settings) \
    F(new_fluid_synth) \
    F(snd_lib_error_set_handler)

struct FluidLibrary
{
#define MILTA_DECLARE(name) decltype(&::name) name = nullptr;
    MILTA_FLUID_FUNCTIONS(MILTA_DECLARE)
#undef MILTA_DECLARE
    bool loaded = false;
};

// The libraries stay open for the life of the program; a missing one leaves
// the game silent, as a missing sound card does.
FluidLibrary openFluidLibrary()
{
    FluidLibrary library;
    void *fluidsynth = dlopen("libfluidsynth.so.3", RTLD_NOW | RTLD_LOCAL);
    void *alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
    if (!fluidsynth || !alsa)
        return library;
    library.loaded = true;
#define MILTA_RESOLVE(name)                                                                \
    library.name = reinterpret_cast<decltype(&::name)>(                                    \
        dlsym(std::string_view(#name).starts_with("snd_") ? alsa : fluidsynth, #name));   \
    library.loaded = library.loaded && library.name;
    MILTA_FLUID_FUNCTIONS(MILTA_RESOLVE)
#undef MILTA_RESOLVE
    return library;
}

// Called first on the synth's thread; every later caller finds it open.
const FluidLibrary &fluid()
{
    static const FluidLibrary library = openFluidLibrary();
    return library;
}

// ALSA reports a missing sound card on stderr; the game stays quiet instead.
void ignoreAlsaError(const char *, int, const char *, int, const char *, ...) {}

void silenceLibraries()
{
    for (int level = FLUID_PANIC; level < LAST_LOG_LEVEL; ++level)
        fluid().fluid_set_log_function(level, nullptr, nullptr);
    fluid().snd_lib_error_set_handler(ignoreAlsaError);
}

// The sound card through FluidSynth's audio driver.
class FluidOutput : public MidiService::AudioOutput
{
public:
    explicit FluidOutput(MidiService::RenderBlock render) : m_render(std::move(render)) {}
    ~FluidOutput() override
    {
        if (m_driver)
            fluid().delete_fluid_audio_driver(m_driver);
    }
    bool open(fluid_settings_t *settings)
    {
        m_driver = fluid().new_fluid_audio_driver2(settings, renderBlock, this);
        return m_driver != nullptr;
    }

private:
    static int renderBlock(void *data, int frames, int, float *[], int outputs, float *out[])
    {
        if (outputs >= 2)
            static_cast<FluidOutput *>(data)->m_render(out[0], out[1], frames);
        return FLUID_OK;
    }

    MidiService::RenderBlock m_render;
    fluid_audio_driver_t *m_driver = nullptr;
};

std::unique_ptr<MidiService::AudioOutput> openFluidOutput(fluid_settings_t *settings, MidiService::RenderBlock render)
{
    auto output = std::make_unique<FluidOutput>(std::move(render));
    if (!output->open(settings))
        return nullptr;
    return output;
}

} // namespace

MidiService::MidiService(Output output, const std::string &soundFont, OutputOpener openOutput)
    : m_output(output), m_soundFont(soundFont),
      m_openOutput(openOutput ? std::move(openOutput) : OutputOpener(openFluidOutput))
{
}

void MidiService::prepare()
{
    if (m_prepared)
        return;
    m_prepared = true;
    m_loader = std::thread(&MidiService::loadSynth, this);
}

void MidiService::loadSynth()
{
    if (!fluid().loaded)
        return;
    silenceLibraries();
    m_settings = fluid().new_fluid_settings();
    if (!m_settings)
        return;
    fluid().fluid_settings_setint(m_settings, "synth.lock-memory", 0);
    // Sample data is read when a preset is first chosen on a channel, so
    // only the instruments the tunes use come into memory.
    fluid().fluid_settings_setint(m_settings, "synth.dynamic-sample-loading", 1);
    // Without reverb and chorus a stopped song falls silent at once.
    fluid().fluid_settings_setint(m_settings, "synth.reverb.active", 0);
    fluid().fluid_settings_setint(m_settings, "synth.chorus.active", 0);
    // The game's tunes peak at about half of full scale with this gain.
    fluid().fluid_settings_setnum(m_settings, "synth.gain", 0.5);
    m_synth = fluid().new_fluid_synth(m_settings);
    if (!m_synth)
        return;
    fluid().fluid_synth_sfload(m_synth, m_soundFont.c_str(), 1); // no soundfont: silence
}

// Only the user-interface thread waits, and never under the lock.
void MidiService::waitForSynth()
{
    prepare();
    if (m_loader.joinable())
        m_loader.join();
}

MidiService::~MidiService()
{
    if (m_loader.joinable())
        m_loader.join();
    // The output's thread takes the lock, so it must be gone before the
    // players and the synth, and it is stopped without holding the lock.
    m_audio.reset();
    for (auto &[id, song] : m_songs)
        if (song.player)
            fluid().delete_fluid_player(song.player);
    if (m_synth)
        fluid().delete_fluid_synth(m_synth);
    if (m_settings)
        fluid().delete_fluid_settings(m_settings);
}

namespace {
std::weak_ptr<MidiService> sharedInstance;
} // namespace

std::shared_ptr<MidiService> MidiService::shared()
{
    std::shared_ptr<MidiService> service = sharedInstance.lock();
    if (!service) {
        service = std::make_shared<MidiService>(Output::AudioDevice);
        sharedInstance = service;
    }
    return service;
}

void MidiService::prepareShared()
{
    if (std::shared_ptr<MidiService> service = sharedInstance.lock())
        service->prepare();
}

void MidiService::renderFromDevice(float *left, float *right, int frames)
{
    std::lock_guard lock(m_lock);
    fluid().fluid_synth_write_float(m_synth, frames, left, 0, 1, right, 0, 1);
    if (!m_silenceReported && !sounding()) {
        m_silenceReported = true;
        if (m_silenceHandler)
            m_silenceHandler();
    }
}

// A song that has ended sounds on until FluidSynth's grace after its last
// event is over: the release of its last notes.
bool MidiService::sounding() const
{
    const auto current = m_songs.find(m_current);
    return current != m_songs.end() && current->second.player
        && fluid().fluid_player_get_status(current->second.player) != FLUID_PLAYER_DONE;
}

void MidiService::openOutput()
{
    if (m_output == Output::AudioDevice && !m_audio && m_settings)
        m_audio = m_openOutput(m_settings, [this](float *left, float *right, int frames) {
            renderFromDevice(left, right, frames);
        });
}

void MidiService::setSilenceHandler(std::function<void()> handler)
{
    std::lock_guard lock(m_lock);
    m_silenceHandler = std::move(handler);
}

// The output is closed without the lock: its thread takes the lock for each
// block. Only this thread starts songs, so nothing starts in between.
void MidiService::closeIfSilent()
{
    {
        std::lock_guard lock(m_lock);
        if (sounding())
            return;
    }
    m_audio.reset();
}

void MidiService::render(float *left, float *right, int frames)
{
    waitForSynth();
    std::lock_guard lock(m_lock);
    if (m_synth) {
        fluid().fluid_synth_write_float(m_synth, frames, left, 0, 1, right, 0, 1);
    } else {
        std::fill(left, left + frames, 0.0f);
        std::fill(right, right + frames, 0.0f);
    }
}

MidiService::Song *MidiService::find(SongId id)
{
    auto found = m_songs.find(id);
    return found == m_songs.end() ? nullptr : &found->second;
}

// A player started at a kept position shows its old tick until it first runs.
int MidiService::positionOf(const Song &song) const
{
    return song.player ? std::max(song.tick, fluid().fluid_player_get_current_tick(song.player)) : song.tick;
}

// Keeps the position and length of the song, ends its player and cuts every
// note it left sounding, without a release tail.
void MidiService::dropPlayer(Song &song)
{
    if (!song.player)
        return;
    song.tick = positionOf(song);
    song.length = std::max(song.length, fluid().fluid_player_get_total_ticks(song.player));
    fluid().fluid_player_stop(song.player);
    fluid().delete_fluid_player(song.player);
    song.player = nullptr;
    fluid().fluid_synth_all_sounds_off(m_synth, -1);
    m_current = 0;
}

MidiService::SongId MidiService::addSong(std::string bytes)
{
    std::lock_guard lock(m_lock);
    const SongId id = m_nextId++;
    m_songs[id].bytes = std::move(bytes);
    return id;
}

void MidiService::removeSong(SongId id)
{
    {
        std::lock_guard lock(m_lock);
        if (Song *song = find(id)) {
            dropPlayer(*song);
            m_songs.erase(id);
        }
    }
    closeIfSilent();
}

// A fresh player, never a seek back to 0: FluidSynth 2.3 skips the first
// note after a very short play when an old player is sought back.
void MidiService::rewind(SongId id)
{
    {
        std::lock_guard lock(m_lock);
        if (Song *song = find(id)) {
            dropPlayer(*song);
            song->tick = 0;
        }
    }
    closeIfSilent();
}

void MidiService::play(SongId id)
{
    waitForSynth();
    // Only this thread changes the list of songs: no lock needed to read it.
    if (m_songs.contains(id) && m_synth)
        openOutput();
    std::lock_guard lock(m_lock);
    Song *song = find(id);
    if (!song || !m_synth)
        return;
    m_silenceReported = false;
    if (m_current != id) {
        if (Song *other = find(m_current))
            dropPlayer(*other);
        song->player = fluid().new_fluid_player(m_synth);
        if (!song->player)
            return;
        fluid().fluid_player_set_loop(song->player, 1);
        fluid().fluid_player_add_mem(song->player, song->bytes.data(), song->bytes.size());
        // A seek replays the song's own instruments and controllers up to
        // where it stopped, without its notes.
        if (song->tick > 0)
            fluid().fluid_player_seek(song->player, song->tick);
        m_current = id;
    }
    fluid().fluid_player_play(song->player);
}

void MidiService::stop(SongId id)
{
    {
        std::lock_guard lock(m_lock);
        if (Song *song = find(id))
            dropPlayer(*song);
    }
    closeIfSilent();
}

int MidiService::position(SongId id)
{
    std::lock_guard lock(m_lock);
    const Song *song = find(id);
    return song ? positionOf(*song) : 0;
}

int MidiService::length(SongId id)
{
    std::lock_guard lock(m_lock);
    const Song *song = find(id);
    if (!song)
        return 0;
    return song->player ? std::max(song->length, fluid().fluid_player_get_total_ticks(song->player)) : song->length;
}
