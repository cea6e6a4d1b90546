#pragma once
// The modal dialogs of the explorer controls, all through platform::showMessage.
// Captions are the dialog kinds' own ("Error", "Warning", "Information", "Confirm");
// a plain message box carries the application's name.

#include <QString>

void showErrorDialog(const QString &text);
void showWarningDialog(const QString &text);
void showInformationDialog(const QString &text);
// Yes and No buttons; true for Yes.
bool askConfirmation(const QString &text);
void showPlainMessage(const QString &text);
void showPlainMessage(const QString &caption, const QString &text);
// The error beep.
void errorBeep();
