#pragma once
// A control linked both ways with a file list (the folder tree and the folder tree
// combo): the link itself, and the calls the list makes when it navigates by itself
// so that the partner shows the same folder. A destroyed partner is forgotten by the
// list, and a destroyed list by the partner.

#include <QPointer>
#include <QWidget>

class TZuFilelistView28;

class FileListPartner : public QWidget {
    Q_OBJECT
public:
    explicit FileListPartner(QWidget *parent = nullptr);
    ~FileListPartner() override;

    TZuFilelistView28 *FileList() const { return m_fileList; }
    // Unlinks the previous list and links the new one both ways.
    void SetFileList(TZuFilelistView28 *list);

    QString SelectedPath() const { return m_selectedPath; }
    void SetSelectedPath(const QString &path) { m_selectedPath = path; }

    // Caption of the top node, which stands for the drive list.
    virtual QString topNodeCaption() const;
    // Shows a folder: an existing folder becomes SelectedPath with a trailing "\";
    // the top node's caption selects the top node.
    virtual void OpenPath(const QString &path);

protected:
    // Makes this control the list's partner of its kind, or unlinks it.
    virtual void linkOnListSide(TZuFilelistView28 *list, bool linked) = 0;

private:
    QPointer<TZuFilelistView28> m_fileList;
    QString m_selectedPath;
};
