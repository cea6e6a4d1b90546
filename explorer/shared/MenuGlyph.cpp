#include "explorer/shared/MenuGlyph.h"

#include <QFile>

QIcon menuGlyph(const QString &name)
{
    for (const char *folder : {":/tree-menu/", ":/filelist-menu/"}) {
        const QString base = QLatin1String(folder) + name;
        if (!QFile::exists(base + QStringLiteral(".png")))
            continue;
        QIcon icon;
        icon.addFile(base + QStringLiteral(".png"), QSize(16, 16));
        icon.addFile(base + QStringLiteral("@2x.png"), QSize(32, 32));
        return icon;
    }
    return QIcon();
}
