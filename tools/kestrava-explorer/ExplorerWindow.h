#pragma once
// The explorer controls at work: the folder combo on top, the folder tree at the left
// and the file list at the right, linked to each other, every control at its own
// settings; a language box switches all three at once.

#include "explorer/shared/ExplorerTypes.h"

#include <QWidget>

class QComboBox;
class TZuDirTree21;
class TZuDirTreeCombo28;
class TZuFilelistView28;

class ExplorerWindow : public QWidget {
    Q_OBJECT
public:
    explicit ExplorerWindow(QWidget *parent = nullptr);

    TZuDirTreeCombo28 *combo() const { return m_combo; }
    TZuDirTree21 *tree() const { return m_tree; }
    TZuFilelistView28 *fileList() const { return m_fileList; }
    QComboBox *languageBox() const { return m_languageBox; }

    // Sets the language of the three controls, and shows it in the language box.
    void setLanguage(TLanguage language);
    // Shows a folder (a drive path) in the three controls.
    void openFolder(const QString &path);

private:
    // A folder chosen in the tree or the combo is shown in the other one (the list is
    // moved by the control chosen in); what that raises is not passed back.
    void followInOtherControl(QObject *chosenIn, const QString &path);

    bool m_following = false;
    TZuDirTreeCombo28 *m_combo;
    TZuDirTree21 *m_tree;
    TZuFilelistView28 *m_fileList;
    QComboBox *m_languageBox;
};
