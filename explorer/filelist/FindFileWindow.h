#pragma once
// The file list's own find window, for desktops without a search program: a name
// pattern with "*" and "?", searched below the folder in the background with Cancel;
// a double click on a result shows it selected in the list.

#include "explorer/shared/ExplorerTypes.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace platform {
class FileSearch;
}

class FindFileWindow : public QDialog {
    Q_OBJECT
public:
    // `folder` is a drive path.
    FindFileWindow(const QString &folder, TLanguage language, QWidget *parent = nullptr);
    ~FindFileWindow() override;

    void startSearch();
    void cancelSearch();
    bool isSearching() const;
    // Drive paths of the results so far.
    QStringList results() const;

signals:
    // A result was double-clicked: its drive path.
    void resultChosen(const QString &path);

private:
    void addResults(const QStringList &nativePaths);
    void searchFinished(bool cancelled);
    void chooseResult(QListWidgetItem *item);

    QString m_folder;
    TLanguage m_language;
    QLineEdit *m_pattern;
    QPushButton *m_findButton;
    QPushButton *m_cancelButton;
    QListWidget *m_results;
    QLabel *m_status;
    platform::FileSearch *m_search;
};
