#include "media/soundfontview.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string_view>

namespace {

std::uint32_t littleEndian(std::string_view bytes, std::size_t at, std::size_t size)
{
    std::uint32_t value = 0;
    for (std::size_t i = size; i-- > 0;)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

std::string littleEndianBytes(std::uint32_t value, std::size_t size)
{
    std::string bytes;
    for (std::size_t i = 0; i < size; ++i)
        bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
    return bytes;
}

std::string chunk(std::string_view id, std::string_view data)
{
    return std::string(id) + littleEndianBytes(std::uint32_t(data.size()), 4) + std::string(data);
}

// The records of the preset level, as SoundFont 2 lays them out.
constexpr std::size_t PresetHeaderSize = 38; // phdr: name, program, bank, first zone, ...
constexpr std::size_t ProgramAt = 20;
constexpr std::size_t FirstZoneAt = 24;
constexpr std::size_t ZoneSize = 4;       // pbag: first generator, first modulator
constexpr std::size_t ModulatorSize = 10; // pmod
constexpr std::size_t GeneratorSize = 4;  // pgen

const char *const NamePrefix = "programs ";
const char *const NameSeparator = " of ";

} // namespace

std::unique_ptr<SoundFontView> SoundFontView::open(const std::string &path,
                                                   const std::optional<std::bitset<128>> &programs)
{
    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (!file)
        return nullptr;
    std::unique_ptr<SoundFontView> view(new SoundFontView(file));
    if (fseeko(file, 0, SEEK_END) == 0)
        view->m_fileSize = std::max<std::int64_t>(0, ftello(file));
    view->m_filePosition = -1;
    view->m_pieces = {{view->m_fileSize, 0, 0}};
    if (programs)
        view->leaveOutPresets(*programs);
    return view;
}

std::string SoundFontView::nameOf(const std::string &path, const std::optional<std::bitset<128>> &programs)
{
    if (!programs)
        return path;
    std::string list;
    for (int program = 0; program < 128; ++program)
        if (programs->test(program))
            list += (list.empty() ? "" : ",") + std::to_string(program);
    return NamePrefix + list + NameSeparator + path;
}

std::unique_ptr<SoundFontView> SoundFontView::openNamed(const std::string &name)
{
    const std::size_t separator = name.find(NameSeparator);
    if (name.rfind(NamePrefix, 0) != 0 || separator == std::string::npos)
        return open(name, std::nullopt);
    std::bitset<128> programs;
    const std::string list = name.substr(std::strlen(NamePrefix), separator - std::strlen(NamePrefix));
    for (std::size_t at = 0; at < list.size();) {
        const std::size_t comma = std::min(list.find(',', at), list.size());
        const int program = std::atoi(list.substr(at, comma - at).c_str());
        if (program >= 0 && program < 128)
            programs.set(program);
        at = comma + 1;
    }
    return open(name.substr(separator + std::strlen(NameSeparator)), programs);
}

void *SoundFontView::openForSynth(const char *name) noexcept
{
    try {
        return openNamed(name).release();
    } catch (const std::exception &) {
        return nullptr;
    }
}

int SoundFontView::readForSynth(void *buffer, long long count, void *view) noexcept
{
    return static_cast<SoundFontView *>(view)->read(buffer, count) ? 0 : -1;
}

int SoundFontView::seekForSynth(void *view, long long offset, int origin) noexcept
{
    return static_cast<SoundFontView *>(view)->seek(offset, origin) ? 0 : -1;
}

long long SoundFontView::tellForSynth(void *view) noexcept
{
    return static_cast<SoundFontView *>(view)->tell();
}

int SoundFontView::closeForSynth(void *view) noexcept
{
    delete static_cast<SoundFontView *>(view);
    return 0;
}

SoundFontView::~SoundFontView()
{
    std::fclose(m_file);
}

// The preset chunks phdr, pbag, pmod and pgen open the "pdta" list; they are
// made anew with the presets kept, and the view reads everything else from the
// file: before the list, and from the instrument chunks after them on.
void SoundFontView::leaveOutPresets(const std::bitset<128> &programs)
{
    const auto bytesAt = [this](std::int64_t at, std::int64_t count) {
        std::string bytes(std::size_t(std::max<std::int64_t>(count, 0)), '\0');
        m_filePosition = -1;
        if (at < 0 || count < 0 || at + count > m_fileSize || fseeko(m_file, at, SEEK_SET) != 0
            || std::fread(bytes.data(), 1, bytes.size(), m_file) != bytes.size())
            return std::string();
        return bytes;
    };
    const std::string riff = bytesAt(0, 12);
    if (riff.size() != 12 || riff.compare(0, 4, "RIFF") != 0 || riff.compare(8, 4, "sfbk") != 0)
        return;
    const std::int64_t riffEnd = std::min<std::int64_t>(8 + littleEndian(riff, 4, 4), m_fileSize);

    // The "pdta" list among the top-level chunks.
    std::int64_t list = 12, listEnd = 0;
    for (;; list = listEnd + (listEnd & 1)) {
        const std::string head = bytesAt(list, 12);
        if (head.size() != 12 || list + 12 > riffEnd)
            return;
        listEnd = list + 8 + littleEndian(head, 4, 4);
        if (head.compare(0, 4, "LIST") == 0 && head.compare(8, 4, "pdta") == 0)
            break;
    }
    if (listEnd > riffEnd)
        return;

    // Its first four chunks, in the order SoundFont 2 sets.
    std::string data[4];
    std::int64_t at = list + 12;
    const char *const ids[4] = {"phdr", "pbag", "pmod", "pgen"};
    for (int i = 0; i < 4; ++i) {
        const std::string head = bytesAt(at, 8);
        if (head.size() != 8 || head.compare(0, 4, ids[i]) != 0)
            return;
        const std::int64_t size = littleEndian(head, 4, 4);
        if (at + 8 + size > listEnd)
            return;
        data[i] = bytesAt(at + 8, size);
        at += 8 + size;
    }
    const std::string &headers = data[0], &zones = data[1], &modulators = data[2], &generators = data[3];
    if (headers.size() % PresetHeaderSize != 0 || headers.size() < 2 * PresetHeaderSize
        || zones.size() % ZoneSize != 0 || modulators.size() % ModulatorSize != 0
        || generators.size() % GeneratorSize != 0)
        return;
    const std::size_t presets = headers.size() / PresetHeaderSize - 1; // and the terminal record
    const std::size_t zoneCount = zones.size() / ZoneSize;
    const auto firstZone = [&](std::size_t preset) {
        return littleEndian(headers, preset * PresetHeaderSize + FirstZoneAt, 2);
    };
    const auto firstGenerator = [&](std::size_t zone) { return littleEndian(zones, zone * ZoneSize, 2); };
    const auto firstModulator = [&](std::size_t zone) { return littleEndian(zones, zone * ZoneSize + 2, 2); };
    // Indices that only grow and stay inside their chunks, as FluidSynth
    // demands; anything else is left for it to judge in the whole file.
    for (std::size_t preset = 0; preset < presets; ++preset)
        if (firstZone(preset) > firstZone(preset + 1))
            return;
    if (firstZone(presets) + 1 != zoneCount)
        return;
    for (std::size_t zone = 0; zone + 1 < zoneCount; ++zone)
        if (firstGenerator(zone) > firstGenerator(zone + 1) || firstModulator(zone) > firstModulator(zone + 1))
            return;
    if (firstGenerator(zoneCount - 1) * GeneratorSize > generators.size()
        || firstModulator(zoneCount - 1) * ModulatorSize > modulators.size())
        return;

    std::string keptHeaders, keptZones, keptModulators, keptGenerators;
    const auto keepZone = [&] {
        keptZones += littleEndianBytes(std::uint32_t(keptGenerators.size() / GeneratorSize), 2)
                     + littleEndianBytes(std::uint32_t(keptModulators.size() / ModulatorSize), 2);
    };
    for (std::size_t preset = 0; preset < presets; ++preset) {
        const std::uint32_t program = littleEndian(headers, preset * PresetHeaderSize + ProgramAt, 2);
        if (program >= 128 || !programs.test(program))
            continue;
        std::string header = headers.substr(preset * PresetHeaderSize, PresetHeaderSize);
        header.replace(FirstZoneAt, 2, littleEndianBytes(std::uint32_t(keptZones.size() / ZoneSize), 2));
        keptHeaders += header;
        for (std::size_t zone = firstZone(preset); zone < firstZone(preset + 1); ++zone) {
            keepZone();
            keptGenerators += generators.substr(firstGenerator(zone) * GeneratorSize,
                                                (firstGenerator(zone + 1) - firstGenerator(zone)) * GeneratorSize);
            keptModulators += modulators.substr(firstModulator(zone) * ModulatorSize,
                                                (firstModulator(zone + 1) - firstModulator(zone)) * ModulatorSize);
        }
    }
    // The terminal records close each chunk as they closed the whole file's.
    std::string terminal = headers.substr(presets * PresetHeaderSize);
    terminal.replace(FirstZoneAt, 2, littleEndianBytes(std::uint32_t(keptZones.size() / ZoneSize), 2));
    keptHeaders += terminal;
    const std::size_t lastZone = firstZone(presets);
    keepZone();
    keptGenerators += generators.substr(firstGenerator(lastZone) * GeneratorSize);
    keptModulators += modulators.substr(firstModulator(lastZone) * ModulatorSize);

    const std::string presetChunks = chunk("phdr", keptHeaders) + chunk("pbag", keptZones)
                                     + chunk("pmod", keptModulators) + chunk("pgen", keptGenerators);
    const std::int64_t rest = listEnd - at; // the instrument chunks on
    const std::int64_t listSize = 4 + std::int64_t(presetChunks.size()) + rest;
    const std::int64_t riffSize = littleEndian(riff, 4, 4) + (listSize - (listEnd - list - 8));
    if (riffSize > 0xFFFFFFFF)
        return;
    m_madeAnew = littleEndianBytes(std::uint32_t(riffSize), 4) + "LIST"
                 + littleEndianBytes(std::uint32_t(listSize), 4) + "pdta" + presetChunks;
    const std::int64_t listHead = std::int64_t(m_madeAnew.size()) - 4;
    m_pieces = {{4, 0, 0},
                {4, -1, 0},
                {list - 8, 8, 0},
                {listHead, -1, 4},
                {m_fileSize - at, at, 0}};
}

std::int64_t SoundFontView::size() const
{
    std::int64_t size = 0;
    for (const Piece &piece : m_pieces)
        size += piece.size;
    return size;
}

bool SoundFontView::read(void *buffer, std::int64_t count)
{
    auto *out = static_cast<char *>(buffer);
    std::int64_t pieceStart = 0;
    for (const Piece &piece : m_pieces) {
        if (count == 0)
            break;
        const std::int64_t pieceEnd = pieceStart + piece.size;
        if (m_position < pieceEnd) {
            const std::int64_t from = m_position - pieceStart;
            const std::int64_t n = std::min(count, pieceEnd - m_position);
            if (piece.fileOffset < 0) {
                std::memcpy(out, m_madeAnew.data() + piece.madeAnewOffset + from, std::size_t(n));
            } else {
                const std::int64_t at = piece.fileOffset + from;
                if (at != m_filePosition && fseeko(m_file, at, SEEK_SET) != 0)
                    return false;
                m_filePosition = -1;
                if (std::fread(out, 1, std::size_t(n), m_file) != std::size_t(n))
                    return false;
                m_filePosition = at + n;
            }
            out += n;
            count -= n;
            m_position += n;
        }
        pieceStart = pieceEnd;
    }
    return count == 0;
}

bool SoundFontView::seek(std::int64_t offset, int origin)
{
    const std::int64_t from = origin == SEEK_CUR ? m_position : origin == SEEK_END ? size() : 0;
    if (from + offset < 0)
        return false;
    m_position = from + offset;
    return true;
}
