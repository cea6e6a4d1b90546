#pragma once
// The destination dialog of "Send To" > "Any Folder": an edit box for a folder and
// OK, Cancel and Browse buttons.

#include <QDialog>

class QLineEdit;

class SendToAnyDialog : public QDialog {
    Q_OBJECT
public:
    // The result of the Browse button.
    static constexpr int BrowseResult = 2;

    SendToAnyDialog(QWidget *owner, const QString &initialText);
    QString text() const;

private:
    QLineEdit *m_edit;
};

// Shows the dialog; Browse asks for a folder and shows the dialog again with it.
// The folder typed or chosen, or empty when the user cancelled.
QString askSendToDestination(QWidget *owner, const QString &initialText);
