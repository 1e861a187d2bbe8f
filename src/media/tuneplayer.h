#pragma once
// Stand-in until the music service's redesign lands; same API.
#include "media/mediaplayer.h"
#include "media/midiservice.h"

#include <QObject>

class MusicService
{
public:
    enum class Output { SoundCard, Manual };
    explicit MusicService(Output output)
        : m_service(std::make_shared<MidiService>(output == Output::SoundCard ? MidiService::Output::AudioDevice
                                                                                : MidiService::Output::Manual))
    {
    }
    void prepare() { m_service->prepare(); }
    std::shared_ptr<MidiService> m_service;
};

class TunePlayer : public QObject
{
public:
    TunePlayer(MusicService &service, const QString &fileName, QObject *parent = nullptr)
        : QObject(parent), m_player(nullptr, service.m_service)
    {
        m_player.FileName = fileName;
    }
    QString fileName() const { return m_player.FileName; }
    void open() { m_player.Open(); }
    void rewind() { m_player.Rewind(); }
    void play() { m_player.Play(); }
    void stop() { m_player.Stop(); }
    bool isOpen() const { return m_player.isOpen(); }

private:
    TMediaPlayer m_player;
};
