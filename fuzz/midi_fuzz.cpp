// Arbitrary bytes as a song file: the check either accepts or names a fault
// that an error message tells, never crashes nor hangs, and accepts only what
// has a whole header chunk; the programs are read only from a file the check
// accepts.
#include "media/midifile.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    const MidiFileFault fault = checkMidiFile(bytes);
    if (fault == MidiFileFault::None && (size < 14 || bytes.substr(0, 4) != "MThd"))
        std::abort();
    if (fault != MidiFileFault::None && openFault(fault) == Fault::Unknown)
        std::abort();
    if (programsChosen(bytes) && fault != MidiFileFault::None)
        std::abort();
    return 0;
}
