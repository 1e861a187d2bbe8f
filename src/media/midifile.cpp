#include "media/midifile.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>

namespace {

std::uint32_t bigEndian(std::string_view bytes, std::size_t at, std::size_t size)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < size; ++i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

constexpr std::size_t chunkHeaderSize = 8;

// A variable-length quantity: at most four bytes, the last without its top
// bit. False when it runs past the end or goes on longer.
bool readVariableLength(std::string_view bytes, std::size_t &at, std::uint32_t &value)
{
    value = 0;
    for (int i = 0; i < 4 && at < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[at++]);
        value = (value << 7) | (byte & 0x7F);
        if ((byte & 0x80) == 0)
            return true;
    }
    return false;
}

// Adds the programs a track's events choose; false when an event is in doubt.
bool addProgramsOfTrack(std::string_view track, std::bitset<128> &programs)
{
    std::size_t at = 0;
    unsigned char running = 0; // the status a data byte continues; 0 for none
    while (at < track.size()) {
        std::uint32_t delta;
        if (!readVariableLength(track, at, delta) || at >= track.size())
            return false;
        unsigned char status = static_cast<unsigned char>(track[at]);
        if (status & 0x80)
            ++at;
        else if (running != 0)
            status = running;
        else
            return false;
        if (status == 0xFF || status == 0xF0 || status == 0xF7) {
            // Meta and system exclusive events: players differ on whether a
            // running status lasts across them, so none does here.
            running = 0;
            if (status == 0xFF && ++at > track.size())
                return false;
            std::uint32_t length;
            if (!readVariableLength(track, at, length) || track.size() - at < length)
                return false;
            at += length;
            continue;
        }
        if (status >= 0xF0)
            return false; // no other system message belongs in a file
        running = status;
        const std::size_t dataBytes = (status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0 ? 1 : 2;
        if (track.size() - at < dataBytes)
            return false;
        for (std::size_t i = 0; i < dataBytes; ++i)
            if (track[at + i] & 0x80)
                return false;
        if ((status & 0xF0) == 0xC0)
            programs.set(static_cast<unsigned char>(track[at]));
        at += dataBytes;
    }
    return true;
}

} // namespace

MidiFileFault checkMidiFile(std::string_view bytes)
{
    if (bytes.empty())
        return MidiFileFault::Empty;
    if (bytes.substr(0, 4) != "MThd")
        return MidiFileFault::NotMidi;
    if (bytes.size() < chunkHeaderSize + 6 || bigEndian(bytes, 4, 4) != 6)
        return MidiFileFault::BadHeader;

    const std::uint32_t format = bigEndian(bytes, 8, 2);
    const std::uint32_t tracks = bigEndian(bytes, 10, 2);
    const std::uint32_t division = bigEndian(bytes, 12, 2);
    if (format > 1 || (division & 0x8000) != 0)
        return MidiFileFault::UnsupportedFormat;
    if (division == 0)
        return MidiFileFault::BadHeader;
    if (tracks == 0)
        return MidiFileFault::NoTracks;

    // Walk the chunks until every announced track has been seen; whatever
    // follows the last track does not matter to the player.
    std::size_t at = chunkHeaderSize + 6;
    std::uint32_t seen = 0;
    while (seen < tracks) {
        if (bytes.size() - at < chunkHeaderSize)
            return MidiFileFault::Truncated;
        const std::uint64_t length = bigEndian(bytes, at + 4, 4);
        if (bytes.size() - at - chunkHeaderSize < length)
            return MidiFileFault::Truncated;
        if (bytes.substr(at, 4) == "MTrk")
            ++seen;
        at += chunkHeaderSize + length;
    }
    return MidiFileFault::None;
}

MidiFileFault loadMidiFile(const std::string &path, std::string &bytes)
{
    bytes.clear();
    std::error_code error;
    if (!std::filesystem::exists(path, error))
        return error ? MidiFileFault::Unreadable : MidiFileFault::Missing;

    std::unique_ptr<std::FILE, int (*)(std::FILE *)> file(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!file)
        return MidiFileFault::Unreadable;
    char block[65536];
    std::size_t got;
    while ((got = std::fread(block, 1, sizeof block, file.get())) > 0)
        bytes.append(block, got);
    if (std::ferror(file.get())) {
        bytes.clear();
        return MidiFileFault::Unreadable;
    }

    const MidiFileFault fault = checkMidiFile(bytes);
    if (fault != MidiFileFault::None)
        bytes.clear();
    return fault;
}

std::optional<std::bitset<128>> programsChosen(std::string_view bytes)
{
    if (checkMidiFile(bytes) != MidiFileFault::None)
        return std::nullopt;
    std::bitset<128> programs;
    // Every track chunk in the file, past the announced count too.
    for (std::size_t at = chunkHeaderSize + 6; bytes.size() - at >= chunkHeaderSize;) {
        const std::uint64_t length = bigEndian(bytes, at + 4, 4);
        if (bytes.size() - at - chunkHeaderSize < length)
            return std::nullopt;
        if (bytes.substr(at, 4) == "MTrk" && !addProgramsOfTrack(bytes.substr(at + chunkHeaderSize, length), programs))
            return std::nullopt;
        at += chunkHeaderSize + length;
    }
    return programs;
}

Fault openFault(MidiFileFault fault)
{
    switch (fault) {
    case MidiFileFault::None:
        break;
    case MidiFileFault::Missing:
        return Fault::TuneMissing;
    case MidiFileFault::Unreadable:
        return Fault::TuneUnreadable;
    case MidiFileFault::Empty:
        return Fault::TuneEmpty;
    case MidiFileFault::NotMidi:
        return Fault::TuneNotMidi;
    case MidiFileFault::BadHeader:
        return Fault::TuneBadHeader;
    case MidiFileFault::UnsupportedFormat:
        return Fault::TuneUnplayable;
    case MidiFileFault::NoTracks:
        return Fault::TuneWithoutTracks;
    case MidiFileFault::Truncated:
        return Fault::TuneTruncated;
    }
    return Fault::Unknown;
}
