#pragma once
// The about box, shown without being modal.

#include <QWidget>

class TfrmAbout : public QWidget {
    Q_OBJECT
public:
    explicit TfrmAbout(QWidget *parent = nullptr);
};
