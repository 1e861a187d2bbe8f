#include "core/cp932.h"

#include <array>
#include <cerrno>
#include <iconv.h>
#include <utility>

#include "core/exception.h"

namespace {

// One iconv conversion descriptor, closed when it goes out of scope.
class Converter
{
public:
    Converter(const char *to, const char *from) : m_cd(iconv_open(to, from)) {}
    ~Converter()
    {
        if (valid())
            iconv_close(m_cd);
    }
    Converter(const Converter &) = delete;
    Converter &operator=(const Converter &) = delete;

    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // Converts as much of in as it can, appending to out. Returns false at
    // the first byte sequence it cannot convert; in then starts there.
    bool convert(std::string_view &in, std::string &out)
    {
        char buffer[256];
        while (!in.empty()) {
            char *inPtr = const_cast<char *>(in.data());
            size_t inLeft = in.size();
            char *outPtr = buffer;
            size_t outLeft = sizeof buffer;
            const size_t result = iconv(m_cd, &inPtr, &inLeft, &outPtr, &outLeft);
            out.append(buffer, outPtr);
            in.remove_prefix(in.size() - inLeft);
            if (result == static_cast<size_t>(-1) && errno != E2BIG)
                return false;
        }
        return true;
    }

private:
    iconv_t m_cd;
};

std::optional<std::string> convertAll(const char *to, const char *from, std::string_view in)
{
    Converter converter(to, from);
    std::string out;
    if (!converter.valid() || !converter.convert(in, out))
        return std::nullopt;
    return out;
}

} // namespace

std::optional<std::string> utf8ToCp932(std::string_view utf8)
{
    std::optional<std::string> bytes = convertAll(Cp932IconvName, "UTF-8", utf8);
    // glibc's table maps a few characters one way only ("¥" to 5C, which
    // reads back as "\"); only an exact round trip is a true encoding.
    if (!bytes || cp932ToUtf8(*bytes) != utf8)
        return std::nullopt;
    return bytes;
}

std::string_view cp932ReadBackForm(std::string_view character)
{
    using namespace std::string_view_literals;
    // Each look-alike and the character its bytes read back as (the bytes
    // after the names).
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 7> readBack = {{
        {"\u301C"sv, "\uFF5E"sv}, // WAVE DASH, FULLWIDTH TILDE: 81 60
        {"\u2016"sv, "\u2225"sv}, // DOUBLE VERTICAL LINE, PARALLEL TO: 81 61
        {"\u2212"sv, "\uFF0D"sv}, // MINUS SIGN, FULLWIDTH HYPHEN-MINUS: 81 7C
        {"\u2014"sv, "\u2015"sv}, // EM DASH, HORIZONTAL BAR: 81 5C
        {"\u00A2"sv, "\uFFE0"sv}, // CENT SIGN, FULLWIDTH CENT SIGN: 81 91
        {"\u00A3"sv, "\uFFE1"sv}, // POUND SIGN, FULLWIDTH POUND SIGN: 81 92
        {"\u00AC"sv, "\uFFE2"sv}, // NOT SIGN, FULLWIDTH NOT SIGN: 81 CA
    }};
    for (const auto &[variant, form] : readBack)
        if (character == variant)
            return form;
    return character;
}

std::optional<std::string> cp932ToUtf8(std::string_view bytes)
{
    return convertAll("UTF-8", Cp932IconvName, bytes);
}

std::string cp932ToUtf8ForDisplay(std::string_view bytes)
{
    Converter converter("UTF-8", Cp932IconvName);
    std::string out;
    if (!converter.valid())
        return out;
    while (!converter.convert(bytes, out)) {
        out += "\uFFFD";
        bytes.remove_prefix(1);
    }
    return out;
}

void requireCp932(const char *iconvName)
{
    if (!Converter(iconvName, "UTF-8").valid() || !Converter("UTF-8", iconvName).valid())
        throw EEncodingError(std::string("このシステムの iconv はコード ページ 932 (") + iconvName
                             + ") を変換できないため、ランキングの名前を読み書きできません。"
                               "iconv の変換モジュール (glibc の gconv) を入れてください");
}
