#pragma once
// The destinations of the file list's "Send To": a folder asked for, the clipboard
// (contents or file names), a link on the desktop, and the links of the user's
// send-to folder (a folder, a removable drive or a program).

#include <QString>
#include <QStringList>

class TZuFilelistView28;

// A link of the send-to folder as the menu shows it.
struct SendToEntry {
    QString path;    // the link file (drive path)
    QString caption; // its display name
    QString icon;    // its icon: a theme name or a picture file
};

class FileListSendTo {
public:
    explicit FileListSendTo(TZuFilelistView28 &list);

    // The links of the user's send-to folder, by file name; none when it is missing.
    static QList<SendToEntry> sendToEntries();
    // The names, sizes and write times of the send-to folder's link files: it differs
    // once a link was added, removed or rewritten, without reading any link.
    static QString sendToFolderState();

    // Asks for a folder (the destination dialog and its Browse loop) and copies the
    // selection into it.
    void AnyFolder();
    // The first selected file's contents: pictures as images, other files as text.
    void ClipboardAsContents();
    // The full paths of the selected items, one a line.
    void ClipboardAsFileName();
    // A link to the selected item on the desktop.
    void DeskTopAsShortCut();
    // Sends the selection to a link of the send-to folder (or to a folder given directly).
    void SendToShortcut(const QString &path);

    // Extensions (upper case) whose files go to the clipboard as pictures.
    static bool isPictureExtension(const QString &extension);

private:
    void copyToFolder(const QString &destination);

    TZuFilelistView28 &m_list;
};
