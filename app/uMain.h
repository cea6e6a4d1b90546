#pragma once
// The main window: the program's one working window. Its handlers bind the controls
// to the renaming workflow, which holds the rules.

#include "workflow/TagFieldValues.h"

#include <QWidget>
#include <functional>
#include <memory>

class QLineEdit;
class TKestrava;
class TOpzioni;
class TID3TagInfo;
class TfrmAbout;
class TfrmOpzioni;
class TClickableImage;
class RenamingWorkflow;
class UndoLog;
class QAction;
namespace Ui {
class frmMain;
}

class TfrmMain : public QWidget {
    Q_OBJECT
public:
    explicit TfrmMain(QWidget *parent = nullptr);
    ~TfrmMain() override;

    void setAboutBox(TfrmAbout *about) { m_about = about; }
    void setOptionsDialog(TfrmOpzioni *options) { m_options = options; }

    // The three shared objects; null once the window has closed.
    TKestrava *Kestrava() const { return m_kestrava.get(); }
    TOpzioni *Opzioni() const { return m_opzioni.get(); }
    TID3TagInfo *ID3v1() const { return m_id3v1.get(); }

    // Loading and navigating.
    // Loads `name` of `folder` (a drive path; empty for the current folder).
    void CaricaFile(const QString &name, const QString &folder = QString());
    void CancellaEdit();
    // Shows the folder of a native path in the tree and the list; a file is then
    // selected and loaded. A path that does not exist is reported in a message box.
    void openPath(const QString &nativePath);

signals:
    // Emitted as each shared object is freed, in order ("TOpzioni", "TKestrava", "TID3TagInfo").
    void sharedObjectFreed(const QString &className);
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void FormCreate();
    void FormClose();
    void configureExplorer();
    void connectControls();

    // Buttons and navigation.
    void btnEsciClick();
    void btnCreditsClick();
    void btnAvantiClick();
    void btnIndietroClick();
    void flsFileClick();
    void dtrDirectoryClick();
    void stepTo(int index);
    void focusAfterStep();
    void FormResize();
    void loadItem(int index); // -1 loads the empty name

    // Tags and renaming.
    void CaricaTagV2();
    static bool askBeforeLoss(const QString &question); // the Yes/No box
    void btnRinominaClick();
    bool renameLoadedFile(); // false when the rename or a tag write failed (the user was told)
    // Ctrl+Z: takes back the last rename or tag write; the file is selected and loaded.
    void annullaUltimaModifica();
    // Keeps Ctrl+Z in a form field for the field's own undo while it has one.
    bool eventFilter(QObject *watched, QEvent *event) override;
    // Gives the list item loaded last the name of the renamed file.
    void renameLoadedItem(const QString &oldPath);

    // Options.
    void btnOpzioniClick();
    void CaricaOpzioni();

    // Fields, change rules and padlocks.
    struct Lock {
        TClickableImage *openImage;
        TClickableImage *closedImage;
        QLineEdit *field;
    };
    QList<Lock> locks() const;
    QLineEdit *fieldEdit(TagField field) const;
    TagFieldValues shownFields() const;
    bool isLocked(TagField field) const;
    bool isFormField(const QWidget *widget) const;
    void connectFields();
    void tagFieldChange(TagField edited);
    void edtRinominaChange();
    void ApriChiudiLucchetto(TClickableImage *openImage, TClickableImage *closedImage, QLineEdit *field);
    static bool isUnlocked(const TClickableImage *openImage);
    static void assignKeepingCaret(QLineEdit *field, const QString &text);

    // Runs an event handler; an error it raises is shown and the window goes on.
    void guarded(const std::function<void()> &handler);

    std::unique_ptr<Ui::frmMain> ui;
    std::unique_ptr<TKestrava> m_kestrava;
    std::unique_ptr<TOpzioni> m_opzioni;
    std::unique_ptr<TID3TagInfo> m_id3v1;
    std::unique_ptr<RenamingWorkflow> m_workflow;
    std::unique_ptr<UndoLog> m_undoLog;
    QAction *m_undoAction = nullptr;
    TfrmAbout *m_about = nullptr;
    TfrmOpzioni *m_options = nullptr;
    int m_loadedRow = -1; // the list row loaded last, -1 for none
};
