#pragma once
// The combo's drop-down button: a flat button that swallows right-button releases, so
// no context menu opens on it.

#include <QToolButton>

class TZuSpeedButton : public QToolButton {
    Q_OBJECT
public:
    explicit TZuSpeedButton(QWidget *parent = nullptr);

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
};
