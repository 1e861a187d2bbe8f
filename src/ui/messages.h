#pragma once

#include <QString>

#include <exception>

struct FittedName;

// The words of the game's messages, each chosen here once for the player's
// language (Qt's translation, context "Messages"); without a translation they
// are the game's own Japanese.

// The error box's text for an error, before the box adds its final period:
// a game error's fault put into words with its values, any other error's own
// text.
QString errorMessage(const std::exception &error);

// A time as the clock and the ranking show it, "12.3秒": whole seconds and
// tenths as given (the ranking's come from its file).
QString timeCaption(const QString &seconds, const QString &tenths);
QString timeCaption(int seconds, int tenths);

// The name dialog's prompt for a place: "１位です。名前を入力して下さい。".
QString rankingPrompt(int place);

// The hint under the name box after a change: what it could not keep; empty
// when it kept everything.
QString rankingNameHint(const FittedName &fitted);
