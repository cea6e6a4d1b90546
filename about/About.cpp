#include "about/About.h"

#include <QLabel>
#include <QVBoxLayout>

TfrmAbout::TfrmAbout(QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("Informazioni"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Kestrava v3.00"), this));
    setWindowModality(Qt::NonModal);
}
