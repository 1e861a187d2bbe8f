#include "ranking/rankinglines.h"

#include "core/cp932.h"
#include "core/exception.h"
#include "ranking/nameentry.h"

std::string RankingLines::line(int index) const
{
    if (index < 0 || index >= lineCount())
        return {};
    return m_lines[index];
}

void RankingLines::setLine(int index, std::string_view bytes)
{
    if (index < 0 || index >= lineCount())
        return;
    m_lines[index] = bytes;
}

void RankingLines::setText(std::string_view bytes)
{
    std::vector<std::string> lines;
    std::size_t size = 0; // of the text with CR LF breaks
    std::string current;
    bool endsWithBreak = false;
    for (std::size_t i = 0; i < bytes.size() && bytes[i] != '\0'; ++i) {
        const char byte = bytes[i];
        if (byte == '\r' || byte == '\n') {
            if (byte == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
            lines.push_back(std::move(current));
            current.clear();
            size += 2;
            endsWithBreak = true;
        } else {
            current += byte;
            ++size;
            endsWithBreak = false;
            if (isCp932LeadByte(static_cast<unsigned char>(byte)) && i + 1 < bytes.size()
                && bytes[i + 1] != '\0') {
                current += bytes[++i];
                ++size;
            }
        }
        if (size > RankingTextLimit)
            throw EOutOfCapacity(Fault::MemoFull);
    }
    if (!current.empty())
        lines.push_back(std::move(current));
    m_lines = std::move(lines);
    m_endsWithBreak = endsWithBreak;
}

std::string RankingLines::text() const
{
    std::string text;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        if (i > 0)
            text += "\r\n";
        text += m_lines[i];
    }
    if (m_endsWithBreak)
        text += "\r\n";
    return text;
}

RankingLines builtInRankingLines()
{
    const std::string noName = DefaultRankingNameCp932;
    std::string text;
    for (const std::string &entry : {std::string("50"), std::string("0"), noName, std::string("500")})
        for (int place = 0; place < 10; ++place)
            text += entry + "\r\n";
    text += "\r\n\r\n\r\n\r\n\r\n";
    RankingLines table;
    table.setText(text);
    return table;
}
