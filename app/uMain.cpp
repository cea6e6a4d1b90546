#include "app/uMain.h"

#include "about/About.h"
#include "naming/TKestrava.h"
#include "options/Opzioni.h"
#include "tags/TID3TagInfo.h"

#include <QCloseEvent>
#include <QPushButton>

TfrmMain::TfrmMain(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("frmMain"));
    resize(782, 550);
    setMinimumSize(782, 550);
    btnCredits = new QPushButton(QStringLiteral("In&formazioni"), this);
    btnCredits->setObjectName(QStringLiteral("btnCredits"));
    btnCredits->setGeometry(692, 445, 75, 50);
    btnEsci = new QPushButton(QStringLiteral("&Esci"), this);
    btnEsci->setObjectName(QStringLiteral("btnEsci"));
    btnEsci->setGeometry(692, 507, 75, 25);
    connect(btnCredits, &QPushButton::clicked, this, &TfrmMain::btnCreditsClick);
    connect(btnEsci, &QPushButton::clicked, this, &TfrmMain::btnEsciClick);
    FormCreate();
}

TfrmMain::~TfrmMain()
{
    FormClose();
}

void TfrmMain::FormCreate()
{
    m_kestrava = std::make_unique<TKestrava>();
    setWindowTitle(QStringLiteral("Kestrava v3.00"));
    m_opzioni = std::make_unique<TOpzioni>();
    m_id3v1 = std::make_unique<TID3TagInfo>();
}

void TfrmMain::FormClose()
{
    if (m_opzioni) {
        m_opzioni.reset();
        emit sharedObjectFreed(QStringLiteral("TOpzioni"));
    }
    if (m_kestrava) {
        m_kestrava.reset();
        emit sharedObjectFreed(QStringLiteral("TKestrava"));
    }
    if (m_id3v1) {
        m_id3v1.reset();
        emit sharedObjectFreed(QStringLiteral("TID3TagInfo"));
    }
}

void TfrmMain::closeEvent(QCloseEvent *event)
{
    FormClose();
    event->accept();
    emit closed();
}

void TfrmMain::btnEsciClick()
{
    close();
}

void TfrmMain::btnCreditsClick()
{
    if (m_about) {
        m_about->show();
        m_about->raise();
    }
}
