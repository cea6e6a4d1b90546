#include "explorer/shared/SystemImageList.h"

#include <QApplication>
#include <QStyle>

namespace {
QStyle::StandardPixmap standInFor(const QString &iconName)
{
    if (iconName == QLatin1String("folder"))
        return QStyle::SP_DirIcon;
    if (iconName == QLatin1String("folder-open"))
        return QStyle::SP_DirOpenIcon;
    if (iconName == QLatin1String("folder-remote"))
        return QStyle::SP_DriveNetIcon;
    if (iconName == QLatin1String("drive-removable-media"))
        return QStyle::SP_DriveFDIcon;
    if (iconName == QLatin1String("drive-optical"))
        return QStyle::SP_DriveCDIcon;
    if (iconName.startsWith(QLatin1String("drive-")))
        return QStyle::SP_DriveHDIcon;
    if (iconName == QLatin1String("computer"))
        return QStyle::SP_ComputerIcon;
    return QStyle::SP_FileIcon;
}
} // namespace

SystemImageList &SystemImageList::instance()
{
    static SystemImageList list;
    return list;
}

SystemImageList::SystemImageList()
{
    // Outside a desktop session Qt knows no theme; the freedesktop default serves.
    if (QIcon::fallbackThemeName().isEmpty())
        QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
}

int SystemImageList::indexOfIcon(const QString &iconName)
{
    const auto known = m_indexByName.constFind(iconName);
    if (known != m_indexByName.cend())
        return known.value();
    QIcon icon = QIcon::fromTheme(iconName);
    if (icon.isNull() && qobject_cast<QApplication *>(QCoreApplication::instance()))
        icon = QApplication::style()->standardIcon(standInFor(iconName));
    const int index = append(icon);
    m_indexByName.insert(iconName, index);
    return index;
}

int SystemImageList::append(const QIcon &icon)
{
    m_icons.append(icon);
    return int(m_icons.size()) - 1;
}

void SystemImageList::removeLast()
{
    if (m_icons.isEmpty())
        return;
    const int last = int(m_icons.size()) - 1;
    m_icons.removeLast();
    for (auto it = m_indexByName.begin(); it != m_indexByName.end();) {
        if (it.value() == last)
            it = m_indexByName.erase(it);
        else
            ++it;
    }
}

QIcon SystemImageList::icon(int index) const
{
    return index >= 0 && index < m_icons.size() ? m_icons.at(index) : QIcon();
}

QPixmap SystemImageList::smallPixmap(int index) const
{
    return icon(index).pixmap(smallSize, smallSize);
}

QPixmap SystemImageList::largePixmap(int index) const
{
    return icon(index).pixmap(largeSize, largeSize);
}
