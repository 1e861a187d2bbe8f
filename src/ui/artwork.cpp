#include "ui/layout.h"

// The pictures live in a static library; its resources are registered on
// first use.
static void registerArtwork()
{
    Q_INIT_RESOURCE(art);
}

QPixmap artwork(PictureName picture)
{
    static const bool registered = (registerArtwork(), true);
    Q_UNUSED(registered);
    return QPixmap(QStringLiteral(":/art/%1.xpm").arg(QLatin1String(picture.name().data(), qsizetype(picture.name().size()))));
}
