#pragma once

#include <bitset>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// A SoundFont 2 file as the synth reads it, showing the presets of some
// programs only. FluidSynth makes every preset of a soundfont, and every
// instrument zone they use, as it loads the file: about 5 MB for the game's
// General MIDI soundfont, of which the two tunes need seven programs. The view
// keeps the presets of the given programs in every bank (so that a bank or a
// drum kit that is not there falls back as it does in the whole file) and
// leaves out the rest; the instruments, the samples and every other chunk are
// read from the file byte for byte, so a preset kept sounds exactly as before.
class SoundFontView
{
public:
    // The view of `path` with the presets of `programs`, the whole file for
    // none. A file whose preset chunks are not laid out as SoundFont 2 has them
    // is shown whole. Null when the file cannot be opened.
    static std::unique_ptr<SoundFontView> open(const std::string &path,
                                               const std::optional<std::bitset<128>> &programs);

    // One name for both, as FluidSynth hands a soundfont's name to its file
    // callbacks: "programs 0,38,47 of PATH", or PATH for the whole file.
    static std::string nameOf(const std::string &path, const std::optional<std::bitset<128>> &programs);
    static std::unique_ptr<SoundFontView> openNamed(const std::string &name);

    // A soundfont loader's file callbacks (fluid_sfloader_set_callbacks), so
    // that FluidSynth reads the view its soundfont's name asks for: as it loads
    // it, and again when a channel first chooses a preset and its samples are
    // read. 0 for success, -1 for failure, as FLUID_OK and FLUID_FAILED.
    static void *openForSynth(const char *name) noexcept;
    static int readForSynth(void *buffer, long long count, void *view) noexcept;
    static int seekForSynth(void *view, long long offset, int origin) noexcept;
    static long long tellForSynth(void *view) noexcept;
    static int closeForSynth(void *view) noexcept;

    ~SoundFontView();
    SoundFontView(const SoundFontView &) = delete;
    SoundFontView &operator=(const SoundFontView &) = delete;

    // Exactly `count` bytes from the current position, or false.
    bool read(void *buffer, std::int64_t count);
    // SEEK_SET, SEEK_CUR or SEEK_END, as fseek; false before the start.
    bool seek(std::int64_t offset, int origin);
    std::int64_t tell() const { return m_position; }
    std::int64_t size() const;

private:
    // A stretch of the view: from the file, or from the chunks made anew.
    struct Piece
    {
        std::int64_t size;
        std::int64_t fileOffset; // -1: from m_madeAnew
        std::int64_t madeAnewOffset;
    };

    explicit SoundFontView(std::FILE *file) : m_file(file) {}
    void leaveOutPresets(const std::bitset<128> &programs);

    std::FILE *m_file;
    std::int64_t m_fileSize = 0;
    std::int64_t m_filePosition = 0; // where m_file stands
    std::vector<Piece> m_pieces;
    std::string m_madeAnew;
    std::int64_t m_position = 0;
};
