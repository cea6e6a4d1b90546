#pragma once
// TLinkLabel: a label that opens its own text, as a web address or an e-mail address.

#include <QLabel>
#include <QUrl>
#include <functional>

class TLinkLabel : public QLabel {
    Q_OBJECT
public:
    enum TTipo { EMail, Internet };
    Q_ENUM(TTipo)

    // Opens an address with the desktop's associated program.
    using UrlOpener = std::function<void(const QUrl &)>;

    explicit TLinkLabel(QWidget *parent = nullptr);

    TTipo Tipo() const { return m_tipo; }
    void setTipo(TTipo tipo) { m_tipo = tipo; }

    // Replaces the desktop opener (tests read what would be opened).
    void setUrlOpener(UrlOpener opener) { m_opener = std::move(opener); }

    // The address a click opens: the text itself, or a mail address to write to.
    QUrl target() const;

    // The label's own click, then the address opened.
    void Click();

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    TTipo m_tipo = EMail;
    UrlOpener m_opener;
};
