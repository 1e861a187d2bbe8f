#include "media/tuneplayer.h"

#include <QFile>

#include "core/exception.h"
#include "media/midifile.h"

TunePlayer::TunePlayer(MusicService &service, const QString &fileName, QObject *parent)
    : QObject(parent), m_service(service), m_fileName(fileName)
{
}

TunePlayer::~TunePlayer()
{
    close();
}

void TunePlayer::close()
{
    if (m_song != 0)
        m_service.removeSong(m_song);
    m_song = 0;
}

void TunePlayer::open()
{
    close();
    std::string bytes;
    const MidiFileFault fault = loadMidiFile(QFile::encodeName(m_fileName).toStdString(), bytes);
    if (fault != MidiFileFault::None)
        throw EMCIDeviceError(openFault(fault), {m_fileName.toStdString()});
    m_song = m_service.addSong(std::move(bytes));
}

void TunePlayer::requireOpen() const
{
    if (m_song == 0)
        throw EMCIDeviceError(Fault::TuneNotOpen);
}

void TunePlayer::rewind()
{
    requireOpen();
    m_service.rewind(m_song);
}

void TunePlayer::play()
{
    requireOpen();
    // The end is known once the song has played; a song still within
    // FluidSynth's grace after its last event already counts as ended. A
    // play from the end sounds nothing, as the song has nothing left.
    const int length = m_service.length(m_song);
    if (length > 0 && m_service.position(m_song) >= length) {
        if (!m_autoRewind)
            return;
        m_service.rewind(m_song);
    }
    m_service.play(m_song);
}

void TunePlayer::stop()
{
    requireOpen();
    m_service.stop(m_song);
}

int TunePlayer::position() const
{
    requireOpen();
    return m_service.position(m_song);
}

int TunePlayer::length() const
{
    requireOpen();
    return m_service.length(m_song);
}
