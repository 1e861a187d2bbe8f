#pragma once

#include <QObject>
#include <QString>

#include "media/musicservice.h"

// One tune of the race screen: a MIDI song file that sounds through the
// game's music service. open() checks the file and throws EMCIDeviceError
// when it cannot be played; every command on a player that is not open
// throws EMCIDeviceError (Fault::TuneNotOpen). Anything that goes wrong
// after a successful open leaves the game silent.
class TunePlayer : public QObject
{
    Q_OBJECT
public:
    // `fileName` is handed to the file system as it is: a bare name is looked
    // for in the working directory. `service` outlives the player.
    TunePlayer(MusicService &service, const QString &fileName, QObject *parent = nullptr);
    ~TunePlayer() override; // closes the song: any sound stops

    QString fileName() const { return m_fileName; }

    // Reads and checks the file and makes the song ready, stopped at its
    // start. A player that was open closes its old song first.
    void open();
    // Stopped at the start of the song, silent. Returns when done.
    void rewind();
    // Sounds from the current position to the end, once; returns at once.
    void play();
    // Silent, the position kept. Returns when done.
    void stop();

    bool isOpen() const { return m_song != 0; }
    // The song's position and length in MIDI ticks; the length is 0 until
    // the song has first been played.
    int position() const;
    int length() const;

    // A play at the song's end starts it again from its start; on by default.
    void setAutoRewind(bool autoRewind) { m_autoRewind = autoRewind; }
    bool autoRewind() const { return m_autoRewind; }

private:
    void requireOpen() const;
    void close();

    MusicService &m_service;
    const QString m_fileName;
    MusicService::SongId m_song = 0; // 0 while not open
    bool m_autoRewind = true;
};
