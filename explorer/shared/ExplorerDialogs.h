#pragma once
// The modal dialogs of the explorer controls, all through platform::showMessage.
// Captions are the dialog kinds' own ("Error", "Warning", "Information", "Confirm");
// a plain message box carries the application's name.

#include "platform/MessageBox.h"

#include <QString>
#include <QStringList>

void showErrorDialog(const QString &text);
void showWarningDialog(const QString &text);
void showInformationDialog(const QString &text);
// The errors of a command of many parts in one box, with the first error's caption:
// the first ten texts, then how many more (in the language, a TLanguage).
void showErrorSummary(const QList<platform::MessageRequest> &errors, int language);
// Yes and No buttons; true for Yes.
bool askConfirmation(const QString &text);
void showPlainMessage(const QString &text);
void showPlainMessage(const QString &caption, const QString &text);
// The error beep.
void errorBeep();
