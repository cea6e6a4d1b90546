#pragma once
// An edit that accepts typed decimal digits only; other typed characters, control
// characters included, are dropped before the edit sees them.

#include <QLineEdit>

class TLabeledEdit1 : public QLineEdit {
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;

protected:
    void keyPressEvent(QKeyEvent *event) override;
};
