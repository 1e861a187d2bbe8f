#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The largest text the table takes, in bytes once its breaks are CR LF. A file
// the game writes is 40 table lines of at most 255 bytes plus whatever lines
// it carried along, so a megabyte leaves any real ranking file far below it.
inline constexpr std::size_t RankingTextLimit = 1024 * 1024;

// The ranking table as the race window holds it: a list of text lines. Lines
// are code page 932 bytes, never converted; it also remembers whether its text
// ends with a line break, so that a file is written back as it was read.
class RankingLines
{
public:
    int lineCount() const { return static_cast<int>(m_lines.size()); }

    // Reading past the end gives "", writing past the end does nothing.
    std::string line(int index) const;
    void setLine(int index, std::string_view bytes);

    // Replaces the whole text. CR LF, a lone CR and a lone LF each make one
    // break (LF CR makes two); the byte after a lead byte is never a break;
    // NUL ends the text. A text over RankingTextLimit raises EOutOfCapacity and
    // leaves the lines as they were.
    void setText(std::string_view bytes);

    // The lines joined by CR LF, with a final CR LF when the text had one.
    std::string text() const;

    bool endsWithBreak() const { return m_endsWithBreak; }

private:
    std::vector<std::string> m_lines;
    bool m_endsWithBreak = false;
};

// The table before any file is read: ten places of 50.0 seconds named
// "名前なし", then five empty lines, every line ended by a break.
RankingLines builtInRankingLines();
