#include "app/MessageBoxPresenter.h"

#include "platform/MessageBox.h"

#include <QApplication>
#include <QMessageBox>

namespace {
using platform::MessageButton;

const std::pair<MessageButton, QMessageBox::StandardButton> buttonTable[] = {
    {MessageButton::Ok, QMessageBox::Ok},         {MessageButton::Cancel, QMessageBox::Cancel},
    {MessageButton::Yes, QMessageBox::Yes},       {MessageButton::No, QMessageBox::No},
    {MessageButton::YesToAll, QMessageBox::YesToAll}, {MessageButton::NoToAll, QMessageBox::NoToAll},
};

QMessageBox::Icon iconFor(platform::MessageKind kind)
{
    switch (kind) {
    case platform::MessageKind::Warning:
        return QMessageBox::Warning;
    case platform::MessageKind::Error:
        return QMessageBox::Critical;
    case platform::MessageKind::Question:
        return QMessageBox::Question;
    case platform::MessageKind::Information:
        break;
    }
    return QMessageBox::Information;
}

MessageButton present(const platform::MessageRequest &request)
{
    // Messages break their lines with "\r" or "\r\n".
    QString text = request.text;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QMessageBox box(iconFor(request.kind), request.caption, text, QMessageBox::NoButton, QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText); // file names are never markup
    for (const auto &[ours, theirs] : buttonTable) {
        if (request.buttons & int(ours))
            box.addButton(theirs);
    }
    const auto pressed = QMessageBox::StandardButton(box.exec());
    for (const auto &[ours, theirs] : buttonTable) {
        if (pressed == theirs)
            return ours;
    }
    return (request.buttons & int(MessageButton::Cancel)) ? MessageButton::Cancel : MessageButton::Ok;
}
} // namespace

void installMessageBoxPresenter()
{
    platform::setMessagePresenter(present);
}
