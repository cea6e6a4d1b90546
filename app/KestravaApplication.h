#pragma once
// The application object: carries the program icon and desktop entry name, shows the
// message of an error escaping an event handler and keeps running.

#include <QApplication>

class KestravaApplication : public QApplication {
    Q_OBJECT
public:
    KestravaApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;

    // Shows the message of the error in flight (call from a catch block).
    static void showCurrentError();
};
