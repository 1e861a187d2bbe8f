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
    : m_loader(&MidiService::loadSynth, this, output, soundFont)
{
}

void MidiService::loadSynth(Output output, const std::string &soundFont)
{
    silenceLibraries();
    m_settings = new_fluid_settings();
    if (!m_settings)
        return;
    fluid_settings_setint(m_settings, "synth.lock-memory", 0);
    // Sample data is read when a preset is first chosen on a channel, so
    // only the instruments the tunes use come into memory.
    fluid_settings_setint(m_settings, "synth.dynamic-sample-loading", 1);
    // Without reverb and chorus a stopped song falls silent at once.
    fluid_settings_setint(m_settings, "synth.reverb.active", 0);
    fluid_settings_setint(m_settings, "synth.chorus.active", 0);
    // The game's tunes peak at about half of full scale with this gain.
    fluid_settings_setnum(m_settings, "synth.gain", 0.5);
    m_synth = new_fluid_synth(m_settings);
    if (!m_synth)
        return;
    fluid_synth_sfload(m_synth, soundFont.c_str(), 1); // no soundfont: silence
    if (output == Output::AudioDevice)
        m_driver = new_fluid_audio_driver2(m_settings, renderFromDevice, this);
}

// Only the user-interface thread waits, and never under the lock.
void MidiService::waitForSynth()
{
    if (m_loader.joinable())
        m_loader.join();
}

MidiService::~MidiService()
{
    waitForSynth();
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
    waitForSynth();
    std::lock_guard lock(m_lock);
    if (m_synth) {
        fluid_synth_write_float(m_synth, frames, left, 0, 1, right, 0, 1);
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
    return song.player ? std::max(song.tick, fluid_player_get_current_tick(song.player)) : song.tick;
}

// Keeps the position and length of the song, ends its player and cuts every
// note it left sounding, without a release tail.
void MidiService::dropPlayer(Song &song)
{
    if (!song.player)
        return;
    song.tick = positionOf(song);
    song.length = std::max(song.length, fluid_player_get_total_ticks(song.player));
    fluid_player_stop(song.player);
    delete_fluid_player(song.player);
    song.player = nullptr;
    fluid_synth_all_sounds_off(m_synth, -1);
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
    std::lock_guard lock(m_lock);
    if (Song *song = find(id)) {
        dropPlayer(*song);
        m_songs.erase(id);
    }
}

// A fresh player, never a seek back to 0: FluidSynth 2.3 skips the first
// note after a very short play when an old player is sought back.
void MidiService::rewind(SongId id)
{
    std::lock_guard lock(m_lock);
    if (Song *song = find(id)) {
        dropPlayer(*song);
        song->tick = 0;
    }
}

void MidiService::play(SongId id)
{
    waitForSynth();
    std::lock_guard lock(m_lock);
    Song *song = find(id);
    if (!song || !m_synth)
        return;
    if (m_current != id) {
        if (Song *other = find(m_current))
            dropPlayer(*other);
        song->player = new_fluid_player(m_synth);
        if (!song->player)
            return;
        fluid_player_set_loop(song->player, 1);
        fluid_player_add_mem(song->player, song->bytes.data(), song->bytes.size());
        // A seek replays the song's own instruments and controllers up to
        // where it stopped, without its notes.
        if (song->tick > 0)
            fluid_player_seek(song->player, song->tick);
        m_current = id;
    }
    fluid_player_play(song->player);
}

void MidiService::stop(SongId id)
{
    std::lock_guard lock(m_lock);
    if (Song *song = find(id))
        dropPlayer(*song);
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
    return song->player ? std::max(song->length, fluid_player_get_total_ticks(song->player)) : song->length;
}
