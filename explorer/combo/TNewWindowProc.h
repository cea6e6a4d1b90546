#pragma once
// Turns wheel turns over a widget into key presses sent to it: away from the user an
// Up press, toward the user (or no distance) a Down press. The wheel event itself goes
// no further; every other event passes unchanged.

#include <QObject>
#include <QPointer>

class QWidget;

class TNewWindowProc : public QObject {
    Q_OBJECT
public:
    // Installs itself on `target`, whose child it becomes.
    explicit TNewWindowProc(QWidget *target);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QWidget> m_target;
};
