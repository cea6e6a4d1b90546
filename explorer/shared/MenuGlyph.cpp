#include "explorer/shared/MenuGlyph.h"

#include <QFile>

QIcon menuGlyph(const QString &name)
{
    QIcon icon;
    for (const char *prefix : {":/tree-menu/", ":/filelist-menu/"}) {
        const QString base = QLatin1String(prefix) + name;
        if (!QFile::exists(base + QStringLiteral(".png")))
            continue;
        icon.addFile(base + QStringLiteral(".png"), QSize(16, 16));
        icon.addFile(base + QStringLiteral("@2x.png"), QSize(32, 32));
        break;
    }
    return icon;
}
