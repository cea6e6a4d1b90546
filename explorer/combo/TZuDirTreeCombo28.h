#pragma once
// The folder tree combo, as far as the file list links with it: the two-way link and
// the folder it shows. Its drop-down tree is built on this class.

#include <QPointer>
#include <QString>
#include <QWidget>

class TZuFilelistView28;

class TZuDirTreeCombo28 : public QWidget {
    Q_OBJECT
public:
    explicit TZuDirTreeCombo28(QWidget *parent = nullptr);
    ~TZuDirTreeCombo28() override;

    TZuFilelistView28 *FileList() const;
    // Unlinks the previous list and links the new one both ways.
    void SetFileList(TZuFilelistView28 *list);

    QString SelectedPath() const { return m_selectedPath; }
    void SetSelectedPath(const QString &path) { m_selectedPath = path; }

    // Caption of the top node, which stands for the drive list.
    virtual QString topNodeCaption() const;
    // Shows a folder: an existing folder becomes SelectedPath with a trailing "\";
    // the top node's caption selects the top node.
    virtual void OpenPath(const QString &path);

private:
    QPointer<TZuFilelistView28> m_fileList;
    QString m_selectedPath;
};
