#pragma once
// The small window of the tree's Folder Contents command: the plain files of one folder
// (hidden ones too), over the tree's whole area, with an OK button. A double click opens
// a file with its program; OK reports the selected file and closes the window. The
// folder is read off the window's thread; a share silent past the limit is given up.

#include <QFrame>
#include <QString>
#include <QStringList>

class ListingSession;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

class FolderContentsWindow : public QFrame {
    Q_OBJECT
public:
    // `tree` holds the window; `titlePart` follows msgFilesIn in the caption.
    FolderContentsWindow(QWidget *tree, const QString &contentsFolder, const QString &titlePart);

    QString ContentsFolder() const { return m_folder; }
    QListWidget *list() const { return m_list; }
    QPushButton *okButton() const { return m_ok; }
    // True once the folder's files are listed.
    bool listed() const { return m_listed; }

signals:
    // OK closed the window: the selected file's full path, empty when none was selected.
    void confirmed(const QString &selectedPath);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void fill(const QStringList &names);
    // The share did not answer in time: the list's message, the list left empty.
    void giveUp();
    void openItem(QListWidgetItem *item);
    void confirm();
    void fitToTree();

    QWidget *m_tree;
    QString m_folder;
    ListingSession *m_listing;
    QLabel *m_caption;
    QListWidget *m_list;
    QPushButton *m_ok;
    bool m_listed = false;
};
