#include "layout.h"

QPixmap artwork(const char *name)
{
    return QPixmap(QStringLiteral(":/art/%1.xpm").arg(QLatin1String(name)));
}
