#pragma once
// Answers the next modal dialog of a given name when it shows: the test's hands on a
// real dialog that the code under test opens and waits for.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QWidget>
#include <functional>

inline void whenModalShows(const QString &objectName, std::function<void(QWidget *dialog)> answer)
{
    auto *poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, objectName, answer] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || modal->objectName() != objectName)
            return;
        poll->stop();
        poll->deleteLater();
        answer(modal);
    });
    poll->start(10);
}

// The map dialog: the path typed, the reconnect box set, OK pressed. `offered` gets the
// drive the dialog proposed.
inline void answerMapDialog(const QString &path, bool reconnect, QString *offered = nullptr)
{
    whenModalShows("NetPathDlg", [=](QWidget *form) {
        if (offered)
            *offered = form->findChild<QComboBox *>("cbxDrive")->currentText();
        QTest::keyClicks(form->findChild<QLineEdit *>("edtPath"), path);
        form->findChild<QCheckBox *>("ckbReconnect")->setChecked(reconnect);
        form->findChild<QPushButton *>("btnOK")->click();
    });
}

// The disconnect dialog: the drive's row picked, OK pressed.
inline void answerDisconnectDialog(QChar letter)
{
    whenModalShows("NetDisconnectDlg", [=](QWidget *form) {
        auto *drives = form->findChild<QTreeWidget *>("lvwDrives");
        for (int i = 0; i < drives->topLevelItemCount(); ++i) {
            if (drives->topLevelItem(i)->text(0) == QString(letter) + ":")
                drives->setCurrentItem(drives->topLevelItem(i));
        }
        form->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
    });
}
