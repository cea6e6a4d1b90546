#pragma once
// The main window: the program's one working window.

#include <QWidget>
#include <memory>

class QPushButton;
class TKestrava;
class TOpzioni;
class TID3TagInfo;
class TfrmAbout;

class TfrmMain : public QWidget {
    Q_OBJECT
public:
    explicit TfrmMain(QWidget *parent = nullptr);
    ~TfrmMain() override;

    void setAboutBox(TfrmAbout *about) { m_about = about; }

    // The three shared objects; null once the window has closed.
    TKestrava *Kestrava() const { return m_kestrava.get(); }
    TOpzioni *Opzioni() const { return m_opzioni.get(); }
    TID3TagInfo *ID3v1() const { return m_id3v1.get(); }

signals:
    // Emitted as each shared object is freed, in order ("TOpzioni", "TKestrava", "TID3TagInfo").
    void sharedObjectFreed(const QString &className);
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void FormCreate();
    void FormClose();
    void btnEsciClick();
    void btnCreditsClick();

    std::unique_ptr<TKestrava> m_kestrava;
    std::unique_ptr<TOpzioni> m_opzioni;
    std::unique_ptr<TID3TagInfo> m_id3v1;
    TfrmAbout *m_about = nullptr;
    QPushButton *btnCredits = nullptr;
    QPushButton *btnEsci = nullptr;
};
