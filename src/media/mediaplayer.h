#pragma once

#include <QString>
#include <QWidget>

#include <memory>

#include "media/midiservice.h"

// How a player picks its device. This game has one device, the MIDI
// sequencer, and automatic selection picks it for every song file.
enum TMPDeviceTypes { dtAutoSelect };

// A music player of the race screen: an invisible control that holds one MIDI
// song file and sounds it through the game's MIDI service. Open checks the
// file and raises EMCIDeviceError when it cannot be played; every operation on
// a player that is not open raises EMCIDeviceError "MCI デバイスがありません".
// Anything that goes wrong after a successful open leaves the game silent.
class TMediaPlayer : public QWidget
{
    Q_OBJECT
public:
    // `service` is the MIDI output to use; the game's shared one when empty.
    explicit TMediaPlayer(QWidget *owner, std::shared_ptr<MidiService> service = {});
    ~TMediaPlayer() override; // closes the song: any sound stops

    // Settings, as stored with the window's layout.
    QString FileName;         // a bare name is looked for in the working directory
    bool AutoOpen = false;    // Loaded() opens the file
    bool AutoRewind = true;   // Play() at the song's end starts it again
    TMPDeviceTypes DeviceType = dtAutoSelect;
    bool Shareable = false;   // each player has a song of its own anyway

    // Called when the window's layout has been loaded: opens the file when
    // AutoOpen is set.
    void Loaded();

    // Reads and checks FileName and makes the song ready, stopped at its
    // start. A player that was open closes its old song first.
    void Open();
    // Stopped at the start of the song, silent. Returns when done.
    void Rewind();
    // Sounds from the current position to the end, once; returns at once.
    void Play();
    // Silent, the position kept. Returns when done.
    void Stop();

    // The song's position and length in MIDI ticks; the length is 0 until the
    // song has first been played.
    int Position() const;
    int Length() const;

    bool isOpen() const { return m_song != 0; }

private:
    void requireOpen() const;
    void close();

    std::shared_ptr<MidiService> m_service;
    MidiService::SongId m_song = 0; // 0 while not open
};
