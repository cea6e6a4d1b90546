// Files offered by other programs: which addresses are this computer's files, and which
// offers are a cut (a move) and which a copy.

#include "platform/FileClipboard.h"
#include "platform/NativePaths.h"
#include "tests/common/TempFolder.h"

#include <QFile>
#include <QMimeData>
#include <QUrl>
#include <gtest/gtest.h>
#include <memory>

using namespace platform;
using namespace Qt::StringLiterals;

TEST(FileClipboardTest, AddressesAreLocalPathsOrRefused)
{
    const struct {
        const char *uri;
        const char *path; // nullptr: refused
    } cases[] = {
        {"file:///music/a.mp3", "/music/a.mp3"},
        {"file://localhost/music/a.mp3", "/music/a.mp3"},
        {"file://LocalHost/music/a.mp3", "/music/a.mp3"},
        {"file:/music/a.mp3", "/music/a.mp3"},
        {"file:///music/plain:colon%20y.mp3", "/music/plain:colon y.mp3"},
        {"file:///music/two%0Alines.mp3", "/music/two\nlines.mp3"},
        {"file:///music/%2E%2E/x.mp3", "/music/../x.mp3"},
        {"file://otherhost/etc/passwd", nullptr},
        {"file://192.168.1.5/share/a.mp3", nullptr},
        {"file:../x.mp3", nullptr},
        {"file:x.mp3", nullptr},
        {"../x.mp3", nullptr},
        {"/music/a.mp3", nullptr},
        {"file:///music/a.mp3%00.txt", nullptr},
        {"smb://server/share/a.mp3", nullptr},
        {"http://example.com/a.mp3", nullptr},
    };
    for (const auto &c : cases) {
        QMimeData data;
        data.setData(u"text/uri-list"_s, QByteArray(c.uri) + "\r\n");
        const ClipboardFiles files = filesOfMimeData(&data);
        if (c.path) {
            EXPECT_EQ(files.nativePaths, QStringList{QString::fromUtf8(c.path)}) << c.uri;
            EXPECT_TRUE(files.refused.isEmpty()) << c.uri;
        } else {
            EXPECT_TRUE(files.nativePaths.isEmpty()) << c.uri << " gave " << files.nativePaths.join(u'|').toStdString();
            EXPECT_EQ(files.refused, QStringList{QString::fromUtf8(c.uri)}) << c.uri;
        }
    }
}

TEST(FileClipboardTest, OnlyAnExplicitCutIsAMove)
{
    TempFolder folder;
    const QString song = folder.write(u"a.mp3"_s, "a");
    const QByteArray uri = nativeFileUrl(song).toEncoded();
    const struct {
        const char *name;
        QList<std::pair<QString, QByteArray>> formats;
        bool cut;
    } cases[] = {
        {"gnome copy", {{u"x-special/gnome-copied-files"_s, "copy\n" + uri}}, false},
        {"gnome cut", {{u"x-special/gnome-copied-files"_s, "cut\n" + uri}}, true},
        {"gnome cut beside a copy flag", {{u"x-special/gnome-copied-files"_s, "cut\n" + uri},
                                          {u"application/x-kde-cutselection"_s, "0"}}, true},
        {"uri list with the KDE cut flag", {{u"text/uri-list"_s, uri + "\r\n"}, {u"application/x-kde-cutselection"_s, "1"}}, true},
        {"uri list with the KDE copy flag", {{u"text/uri-list"_s, uri + "\r\n"}, {u"application/x-kde-cutselection"_s, "0"}}, false},
        {"uri list alone", {{u"text/uri-list"_s, uri + "\r\n"}}, false},
        {"plain text", {{u"text/plain"_s, QFile::encodeName(song) + "\n"}}, false},
        {"our own cut", {}, true},
        {"our own copy", {}, false},
    };
    for (const auto &c : cases) {
        std::unique_ptr<QMimeData> data(new QMimeData);
        if (QByteArray(c.name) == "our own cut" || QByteArray(c.name) == "our own copy")
            data.reset(fileListMimeData({song}, c.cut));
        for (const auto &[format, bytes] : c.formats)
            data->setData(format, bytes);
        const ClipboardFiles files = filesOfMimeData(data.get());
        EXPECT_EQ(files.nativePaths, QStringList{song}) << c.name;
        EXPECT_EQ(files.cut, c.cut) << c.name;
    }
}
