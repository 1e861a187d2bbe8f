#pragma once

#include <QString>

class QLocale;
class QTranslator;

// The game's words in the player's language: loads the game's translation
// for the first of the locale's languages it has (QLocale::uiLanguages, which
// follows LANGUAGE) into the translator and installs it in the application.
// The C and POSIX locales, and a language the game has no translation for,
// keep the game's own Japanese. Returns the language installed ("en"), or an
// empty string.
QString installTranslation(QTranslator &translator, const QLocale &locale);
