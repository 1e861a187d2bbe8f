#pragma once

#include <QRegularExpression>

// A character of Japanese script: kana, kanji, the CJK punctuation and the
// full-width forms ("ｍ", "．").
inline const QRegularExpression JapaneseScript(
    QStringLiteral("[\\x{3000}-\\x{30ff}\\x{3400}-\\x{4dbf}\\x{4e00}-\\x{9fff}\\x{f900}-\\x{faff}\\x{ff00}-\\x{ffef}]"));
