#pragma once
// A label placed on a form built in code, sized to its text.

#include <QLabel>

QLabel *addFormLabel(QWidget *parent, const QString &name, const QString &text, int x, int y);
