#include "options/uOpzioni.h"

TfrmOpzioni::TfrmOpzioni(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmOpzioni"));
    setWindowTitle(QStringLiteral("Opzioni"));
    resize(525, 341);
}
