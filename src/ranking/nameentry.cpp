#include "ranking/nameentry.h"

#include <array>

#include "core/cp932.h"

std::string rankingPrompt(int place)
{
    static constexpr std::array<const char *, 9> fullWidthDigits = {
        "１", "２", "３", "４", "５", "６", "７", "８", "９"};
    const std::string number = place >= 1 && place <= 9 ? fullWidthDigits[place - 1]
                                                        : std::to_string(place);
    return number + "位です。名前を入力して下さい。";
}

bool isStorableRankingName(std::string_view utf8)
{
    if (utf8.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos)
        return false;
    const std::optional<std::string> bytes = utf8ToCp932(utf8);
    return bytes && bytes->size() <= RankingNameMaxBytes;
}
