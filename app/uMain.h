#pragma once
// The main window: the program's one working window.

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
    void CaricaFile(const QString &name);
    void CancellaEdit();

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
    void focusAfterStep();
    void FormResize();
    void loadSelectedItem();

    // Tags and renaming.
    void CaricaTagV2();
    bool SalvaTag(); // false when the ID3v2 tag could not be written
    void btnRinominaClick();
    bool renameLoadedFile(); // false when the rename or a tag write failed (the user was told)

    // Options.
    void btnOpzioniClick();
    void CaricaOpzioni();

    // The file list, as the window uses it.
    int listCount() const;
    int listSelectedIndex() const;
    QString listItemCaption(int index) const;
    QString listItemPath(int index) const;
    QString listItemFolder(int index) const;
    void listSelect(int index);
    void listScrollTo(int index);
    int listWidth() const;
    void listSetNameColumnWidth(int width);
    // Gives the item loaded last (found by its path) the new name.
    void renameLoadedItem(const QString &newName);

    // Change rules of the fields and the padlocks.
    struct Lock {
        TClickableImage *openImage;
        TClickableImage *closedImage;
        QLineEdit *field;
    };
    QList<Lock> locks() const;
    QList<QLineEdit *> tagFields() const; // the six fields with a change rule
    void connectFields();
    void tagFieldChange(QLineEdit *edited);
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
    TfrmAbout *m_about = nullptr;
    TfrmOpzioni *m_options = nullptr;
    QString m_loadedItemPath; // full path of the list item loaded last
    QString m_loadedFolder;   // its folder; empty when no file was loaded
};
