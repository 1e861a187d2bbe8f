#include "media/mediaplayer.h"

#include <QCoreApplication>
#include <QFile>

#include "core/exception.h"
#include "media/midifile.h"

TMediaPlayer::TMediaPlayer(QWidget *owner, std::shared_ptr<MidiService> service)
    : QWidget(owner), m_service(std::move(service))
{
    setVisible(false); // no on-screen part, also when the window is shown
}

TMediaPlayer::~TMediaPlayer()
{
    close();
}

void TMediaPlayer::close()
{
    if (m_song != 0)
        m_service->removeSong(m_song);
    m_song = 0;
}

void TMediaPlayer::Loaded()
{
    if (AutoOpen)
        Open();
}

void TMediaPlayer::Open()
{
    close();
    std::string bytes;
    const MidiFileFault fault = loadMidiFile(QFile::encodeName(FileName).toStdString(), bytes);
    if (fault != MidiFileFault::None)
        throw EMCIDeviceError(midiOpenErrorText(fault, FileName.toStdString()));
    if (!m_service)
        m_service = MidiService::shared();
    // The output's thread tells of a song that has ended by itself; its
    // output is closed here, on the user-interface thread.
    const std::weak_ptr<MidiService> service = m_service;
    m_service->setSilenceHandler([service] {
        QMetaObject::invokeMethod(qApp, [service] {
            if (const std::shared_ptr<MidiService> live = service.lock())
                live->closeIfSilent();
        }, Qt::QueuedConnection);
    });
    m_song = m_service->addSong(std::move(bytes));
}

void TMediaPlayer::requireOpen() const
{
    if (m_song == 0)
        throw EMCIDeviceError("MCI デバイスがありません");
}

void TMediaPlayer::Rewind()
{
    requireOpen();
    m_service->rewind(m_song);
}

void TMediaPlayer::Play()
{
    requireOpen();
    // The end is known once the song has played; a song still within
    // FluidSynth's grace after its last event already counts as ended. A
    // play from the end sounds nothing, as the song has nothing left.
    const int length = m_service->length(m_song);
    if (length > 0 && m_service->position(m_song) >= length) {
        if (!AutoRewind)
            return;
        m_service->rewind(m_song);
    }
    m_service->play(m_song);
}

void TMediaPlayer::Stop()
{
    requireOpen();
    m_service->stop(m_song);
}

int TMediaPlayer::Position() const
{
    requireOpen();
    return m_service->position(m_song);
}

int TMediaPlayer::Length() const
{
    requireOpen();
    return m_service->length(m_song);
}
