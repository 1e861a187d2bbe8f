#pragma once

#include "media/musicservice.h"

#include <QFile>

#include <dlfcn.h>

// Why the synth cannot sound on this machine, or null when it can: a test
// that listens to the music skips with this reason.
inline const char *synthMissing()
{
    if (!QFile::exists(QString::fromLatin1(MusicService::defaultSoundFont)))
        return "no soundfont at /usr/share/sounds/sf2/TimGM6mb.sf2 (Debian: timgm6mb-soundfont)";
    void *library = dlopen("libfluidsynth.so.3", RTLD_NOW | RTLD_LOCAL);
    if (!library)
        return "FluidSynth cannot be loaded (Debian: libfluidsynth3)";
    dlclose(library);
    return nullptr;
}

// In initTestCase: the whole test skips, with the reason, where the synth
// cannot sound.
#define SKIP_WITHOUT_SYNTH()                                                   \
    do {                                                                       \
        if (const char *reason = synthMissing())                               \
            QSKIP(reason);                                                     \
    } while (false)
