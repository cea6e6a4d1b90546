#pragma once
// A small window over the folder tree listing the plain files of one folder: a double
// click opens a file with its program, OK hands the selected file back and closes.
// It is a child frame laid over the tree's client area (a tool window of its own would
// be placed by the window manager, not inside the tree) and follows the tree's size.
// The folder is read off the window thread, so a slow or dead drive never holds it.

#include <QFrame>
#include <QString>
#include <memory>

class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QWidget;
class FolderListingJob;

class FolderContentsWindow : public QFrame {
    Q_OBJECT
public:
    static constexpr int panelHeight = 22;

    // `nodeLevel` is the depth of the folder's node in the tree: 1 for a drive, more
    // for a folder. The window shows itself; it is freed when closed by OK.
    FolderContentsWindow(QWidget *tree, const QString &contentsFolder, int nodeLevel);
    ~FolderContentsWindow() override;

    // What follows msgFilesIn in the caption: "\" C:\\ \"" for a drive,
    // "\" ..\\Name \"" for a folder.
    static QString titlePart(const QString &contentsFolder, int nodeLevel);

    const QString &ContentsFolder() const { return m_contentsFolder; }
    const QString &SelectedFile() const { return m_selectedFile; }
    QListWidget *listView() const { return m_list; }
    QPushButton *okButton() const { return m_ok; }
    // True once the folder's files are in the list.
    bool isFilled() const { return m_job == nullptr; }

signals:
    // The full path of the file selected when OK was pressed.
    void fileChosen(const QString &path);
    // The window has closed (OK).
    void finished();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void startListing();
    void fill();
    void fitToTree();
    void openItem(QListWidgetItem *item);
    void confirm();

    QString m_contentsFolder;
    QString m_selectedFile;
    QLabel *m_caption = nullptr;
    QListWidget *m_list = nullptr;
    QWidget *m_panel = nullptr;
    QWidget *m_buttonPanel = nullptr;
    QPushButton *m_ok = nullptr;
    std::shared_ptr<FolderListingJob> m_job;
};
