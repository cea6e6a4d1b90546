#pragma once
// The process-wide list of icons that every explorer control shares, addressed by
// index: small (16 px) and large (32 px) pictures of one entry have the same index.
// An icon of the theme is added the first time it is asked for; controls may append
// pictures of their own.

#include <QHash>
#include <QIcon>
#include <QList>
#include <QPixmap>
#include <QString>

class SystemImageList {
public:
    static constexpr int smallSize = 16;
    static constexpr int largeSize = 32;

    static SystemImageList &instance();

    // Index of a theme icon by name, added on first use (a stand-in picture when the
    // theme has none).
    int indexOfIcon(const QString &iconName);
    int append(const QIcon &icon);
    // Removes the last entry (one appended by a control).
    void removeLast();

    int count() const { return int(m_icons.size()); }
    QIcon icon(int index) const;
    QPixmap smallPixmap(int index) const;
    QPixmap largePixmap(int index) const;

private:
    SystemImageList();
    QList<QIcon> m_icons;
    QHash<QString, int> m_indexByName;
};
