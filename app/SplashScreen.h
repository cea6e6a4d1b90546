#pragma once
// The splash window shown while the program's windows are created.

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

class QLabel;

class TFrmSplashScreen : public QWidget {
    Q_OBJECT
public:
    static constexpr int DefaultIntervalMs = 3000;

    explicit TFrmSplashScreen(int intervalMs = DefaultIntervalMs, QWidget *parent = nullptr);

    // The window may close once Timer1 has fired.
    bool FormCloseQuery() const { return !Timer1.isActive(); }
    QTimer *timer() { return &Timer1; }

signals:
    void timerFired();

private:
    void FormCreate();
    void Timer1Timer();
    void Image2Click() {}

    QTimer Timer1;
    QElapsedTimer m_shownFor;
    int m_intervalMs;
    QLabel *Label2 = nullptr;
};
