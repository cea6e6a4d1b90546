#pragma once
// TfrmAbout: the about box, shown without being modal. Its heading and links are
// stored scrambled and turned into text at creation; Shift+Ctrl and a mouse button
// on the logo swap it for a scrolling credits panel.

#include "about/Cripto.h"

#include <QStringList>
#include <QTimer>
#include <QWidget>

class QFrame;
class QLabel;
class QPushButton;
class QTextEdit;
class TLinkLabel;

class TfrmAbout : public QWidget {
    Q_OBJECT
public:
    static constexpr int MemoLineCount = 7;
    static constexpr int CreditsCycle = 31;

    explicit TfrmAbout(QWidget *parent = nullptr);

    // The credits panel's line `line` (0-6).
    QString memoLine(int line) const;
    int creditsCounter() const { return m_counter; }
    void setCreditsInterval(int milliseconds) { Timer1.setInterval(milliseconds); }

    // One tick of the credits timer: the block written one line higher.
    void Timer1Timer();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildForm();
    void FormCreate();
    void FormClose();
    void Button1Click() { close(); }
    void Image1MouseDown(Qt::KeyboardModifiers modifiers);
    void moveFocusToButton();
    void setMemoLine(int line, const QString &text);

    TCripto Cripto1;
    QTimer Timer1;
    QFrame *Panel1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Image1 = nullptr;
    QTextEdit *Memo1 = nullptr;
    TLinkLabel *LinkLabel1 = nullptr;
    TLinkLabel *LinkLabel2 = nullptr;
    QPushButton *Button1 = nullptr;
    QStringList m_creditsBlock;
    int m_counter = 0;
};
