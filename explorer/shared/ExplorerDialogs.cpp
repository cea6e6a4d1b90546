#include "explorer/shared/ExplorerDialogs.h"

#include "explorer/shared/LanguageTables.h"
#include "platform/MessageBox.h"

#include <QApplication>

using platform::MessageButton;
using platform::MessageKind;

void showErrorDialog(const QString &text)
{
    platform::showMessage(MessageKind::Error, dialogText("captionError"), text);
}

void showErrorSummary(const QList<platform::MessageRequest> &errors, int language)
{
    if (errors.isEmpty())
        return;
    constexpr qsizetype shown = 10;
    QStringList lines;
    for (qsizetype i = 0; i < std::min(shown, errors.size()); ++i)
        lines.append(errors.at(i).text);
    if (errors.size() > shown)
        lines.append(fileListCommandText(language, QStringLiteral("moreErrors")).arg(errors.size() - shown));
    platform::showMessage(MessageKind::Error, errors.first().caption, lines.join(QLatin1Char('\n')));
}

void showWarningDialog(const QString &text)
{
    platform::showMessage(MessageKind::Warning, dialogText("captionWarning"), text);
}

void showInformationDialog(const QString &text)
{
    platform::showMessage(MessageKind::Information, dialogText("captionInformation"), text);
}

bool askConfirmation(const QString &text)
{
    return platform::showMessage(MessageKind::Question, dialogText("captionConfirm"), text,
                                 int(MessageButton::Yes) | int(MessageButton::No))
           == MessageButton::Yes;
}

void showPlainMessage(const QString &text)
{
    showPlainMessage(QCoreApplication::applicationName(), text);
}

void showPlainMessage(const QString &caption, const QString &text)
{
    platform::showMessage(MessageKind::Information, caption, text);
}

void errorBeep()
{
    if (qobject_cast<QApplication *>(QCoreApplication::instance()))
        QApplication::beep();
}
