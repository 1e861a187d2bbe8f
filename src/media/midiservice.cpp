#include "midiservice.h"

#include <alsa/asoundlib.h>
#include <fluidsynth.h>

#include <algorithm>

namespace {

// ALSA reports a missing sound card on stderr; the game stays quiet instead.
void ignoreAlsaError(const char *, int, const char *, int, const char *, ...) {}

void silenceLibraries()
{
    for (int level = FLUID_PANIC; level < LAST_LOG_LEVEL; ++level)
        fluid_set_log_function(level, nullptr, nullptr);
    snd_lib_error_set_handler(ignoreAlsaError);
}

} // namespace

MidiService::MidiService(Output output, const std::string &soundFont)
{
    silenceLibraries();
    m_settings = new_fluid_settings();
    if (!m_settings)
        return;
    fluid_settings_setint(m_settings, "synth.lock-memory", 0);
    // Without reverb and chorus a stopped song falls silent at once.
    fluid_settings_setint(m_settings, "synth.reverb.active", 0);
    fluid_settings_setint(m_settings, "synth.chorus.active", 0);
    m_synth = new_fluid_synth(m_settings);
    if (!m_synth)
        return;
    fluid_synth_sfload(m_synth, soundFont.c_str(), 1); // no soundfont: silence
    if (output == Output::AudioDevice)
        m_driver = new_fluid_audio_driver2(m_settings, renderFromDevice, this);
}

MidiService::~MidiService()
{
    // The driver's thread takes the lock, so it must be gone before the
    // players and the synth, and it is stopped without holding the lock.
    if (m_driver)
        delete_fluid_audio_driver(m_driver);
    for (auto &[id, song] : m_songs)
        if (song.player)
            delete_fluid_player(song.player);
    if (m_synth)
        delete_fluid_synth(m_synth);
    if (m_settings)
        delete_fluid_settings(m_settings);
}

std::shared_ptr<MidiService> MidiService::shared()
{
    static std::weak_ptr<MidiService> instance;
    std::shared_ptr<MidiService> service = instance.lock();
    if (!service) {
        service = std::make_shared<MidiService>(Output::AudioDevice);
        instance = service;
    }
    return service;
}

int MidiService::renderFromDevice(void *data, int frames, int, float *[], int outputs, float *out[])
{
    auto *service = static_cast<MidiService *>(data);
    if (outputs < 2)
        return FLUID_OK;
    std::lock_guard lock(service->m_lock);
    return fluid_synth_write_float(service->m_synth, frames, out[0], 0, 1, out[1], 0, 1);
}

void MidiService::render(float *left, float *right, int frames)
{
    std::lock_guard lock(m_lock);
    if (m_synth) {
        fluid_synth_write_float(m_synth, frames, left, 0, 1, right, 0, 1);
    } else {
        std::fill(left, left + frames, 0.0f);
        std::fill(right, right + frames, 0.0f);
    }
}

// A fresh player stands at the start of its song. Seeking an old one back
// would skip the first note after a very short play (FluidSynth 2.3).
void MidiService::renewPlayer(Song &song)
{
    if (song.player) {
        fluid_player_stop(song.player);
        delete_fluid_player(song.player);
        song.player = nullptr;
    }
    if (!m_synth)
        return;
    song.player = new_fluid_player(m_synth);
    if (song.player) {
        fluid_player_set_loop(song.player, 1);
        fluid_player_add_mem(song.player, song.bytes.data(), song.bytes.size());
    }
}

// Notes that a stopped or forgotten player left sounding end here, without
// a release tail.
void MidiService::silenceIfCurrent(SongId song)
{
    if (song == m_current && m_synth)
        fluid_synth_all_sounds_off(m_synth, -1);
}

MidiService::SongId MidiService::addSong(std::string bytes)
{
    std::lock_guard lock(m_lock);
    const SongId id = m_nextId++;
    Song &song = m_songs[id];
    song.bytes = std::move(bytes);
    renewPlayer(song);
    return id;
}

void MidiService::removeSong(SongId id)
{
    std::lock_guard lock(m_lock);
    auto found = m_songs.find(id);
    if (found == m_songs.end())
        return;
    if (found->second.player) {
        fluid_player_stop(found->second.player);
        delete_fluid_player(found->second.player);
    }
    silenceIfCurrent(id);
    if (id == m_current)
        m_current = 0;
    m_songs.erase(found);
}

void MidiService::rewind(SongId id)
{
    std::lock_guard lock(m_lock);
    auto found = m_songs.find(id);
    if (found == m_songs.end())
        return;
    renewPlayer(found->second);
    silenceIfCurrent(id);
}

void MidiService::play(SongId id)
{
    std::lock_guard lock(m_lock);
    auto found = m_songs.find(id);
    if (found == m_songs.end() || !found->second.player)
        return;
    fluid_player_t *player = found->second.player;
    if (m_current != id) {
        auto other = m_songs.find(m_current);
        if (other != m_songs.end() && other->second.player)
            fluid_player_stop(other->second.player);
        silenceIfCurrent(m_current);
        // A song resumed mid-way would keep the other song's instruments:
        // reset the channels and let the seek replay its own settings.
        const int position = fluid_player_get_current_tick(player);
        if (position > 0) {
            fluid_synth_system_reset(m_synth);
            fluid_player_seek(player, position);
        }
        m_current = id;
    }
    fluid_player_play(player);
}

void MidiService::stop(SongId id)
{
    std::lock_guard lock(m_lock);
    auto found = m_songs.find(id);
    if (found == m_songs.end() || !found->second.player)
        return;
    fluid_player_stop(found->second.player);
    silenceIfCurrent(id);
}

int MidiService::position(SongId id)
{
    std::lock_guard lock(m_lock);
    auto found = m_songs.find(id);
    return found != m_songs.end() && found->second.player ? fluid_player_get_current_tick(found->second.player) : 0;
}

int MidiService::length(SongId id)
{
    std::lock_guard lock(m_lock);
    auto found = m_songs.find(id);
    return found != m_songs.end() && found->second.player ? fluid_player_get_total_ticks(found->second.player) : 0;
}
