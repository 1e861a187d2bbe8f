#include "ui/translation.h"

#include <QCoreApplication>
#include <QLocale>
#include <QTranslator>

QString installTranslation(QTranslator &translator, const QLocale &locale)
{
    // As gettext does, the C locale ignores LANGUAGE.
    if (locale.language() == QLocale::C)
        return {};
    // lrelease builds the translations into the program's resources.
    if (!translator.load(locale, QStringLiteral("milta100m"), QStringLiteral("_"), QStringLiteral(":/translations")))
        return {};
    QCoreApplication::installTranslator(&translator);
    return translator.language();
}
