#include "about/LinkLabel.h"

#include "platform/Launcher.h"

#include <QMouseEvent>

TLinkLabel::TLinkLabel(QWidget *parent)
    : QLabel(parent)
    , m_opener([](const QUrl &url) { platform::openAddress(url); })
{
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, Qt::blue);
    setPalette(colours);
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    setCursor(Qt::PointingHandCursor);
}

QUrl TLinkLabel::target() const
{
    const QString address = text().trimmed();
    if (m_tipo == Internet)
        return QUrl::fromUserInput(address);
    // "mailto:" and the address with nothing between them: a space there would reach
    // the mail program as part of the address.
    QUrl mail;
    mail.setScheme(QStringLiteral("mailto"));
    mail.setPath(address);
    return mail;
}

void TLinkLabel::Click()
{
    emit clicked();
    m_opener(target());
}

void TLinkLabel::mouseReleaseEvent(QMouseEvent *event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Click();
}
