#include "core/cp932.h"

#include <array>
#include <cerrno>
#include <iconv.h>
#include <unordered_map>
#include <utility>

#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utf8.h>

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

// Unicode's canonical decomposition (NFD) of a UTF-8 text; the text itself
// where ICU cannot give it.
std::string decomposed(std::string_view utf8)
{
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2 *nfd = icu::Normalizer2::getNFDInstance(status);
    if (U_FAILURE(status))
        return std::string(utf8);
    const icu::UnicodeString text =
        icu::UnicodeString::fromUTF8(icu::StringPiece(utf8.data(), static_cast<int32_t>(utf8.size())));
    const icu::UnicodeString result = nfd->normalize(text, status);
    if (U_FAILURE(status))
        return std::string(utf8);
    std::string out;
    result.toUTF8String(out);
    return out;
}

// Every character of the code page, UTF-8, under its canonical
// decomposition. Made once, from the code page itself.
const std::unordered_map<std::string, std::string> &codePageByDecomposition()
{
    static const std::unordered_map<std::string, std::string> characters = [] {
        std::unordered_map<std::string, std::string> byDecomposition;
        Converter converter("UTF-8", Cp932IconvName);
        if (!converter.valid())
            return byDecomposition;
        const auto add = [&](std::string bytes) {
            std::string_view in = bytes;
            std::string character;
            if (!converter.convert(in, character) || character.empty())
                return;
            std::string key = decomposed(character);
            const auto [entry, added] = byDecomposition.try_emplace(key, character);
            if (!added && character == key)
                entry->second = character;
        };
        for (int byte = 0; byte <= 0xFF; ++byte) {
            if (!isCp932LeadByte(static_cast<unsigned char>(byte)))
                add(std::string(1, char(byte)));
        }
        for (int lead = 0x81; lead <= 0xFC; ++lead) {
            if (!isCp932LeadByte(static_cast<unsigned char>(lead)))
                continue;
            for (int trail = 0x40; trail <= 0xFC; ++trail)
                add({char(lead), char(trail)});
        }
        return byDecomposition;
    }();
    return characters;
}

} // namespace

std::optional<std::string> cp932CanonicalEquivalent(std::string_view utf8)
{
    const auto &characters = codePageByDecomposition();
    const auto found = characters.find(decomposed(utf8));
    if (found == characters.end())
        return std::nullopt;
    return found->second;
}

bool isCombiningMark(std::string_view character)
{
    const auto *bytes = reinterpret_cast<const uint8_t *>(character.data());
    const int32_t length = static_cast<int32_t>(character.size());
    int32_t offset = 0;
    UChar32 codePoint;
    U8_NEXT(bytes, offset, length, codePoint);
    return codePoint >= 0 && u_getCombiningClass(codePoint) != 0;
}

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
        throw EEncodingError(Fault::CodePageMissing, {iconvName});
}
