#pragma once
// Answers the next modal dialog of a given name when it shows: the test's hands on a
// real dialog that the code under test opens and waits for.

#include <QApplication>
#include <QTimer>
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
