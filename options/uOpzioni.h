#pragma once
// The options dialog.

#include <QDialog>

class TfrmOpzioni : public QDialog {
    Q_OBJECT
public:
    explicit TfrmOpzioni(QWidget *parent = nullptr);
};
