#include "app/SplashScreen.h"

#include "widgets/FormLabel.h"

#include <QFrame>
#include <QLabel>
#include <QPalette>
#include <QPixmap>
#include <QScreen>
#include <QGuiApplication>

namespace {
const QColor cream(255, 251, 240);

QLabel *addPicture(QWidget *parent, const QString &name, const QString &resource, const QRect &place)
{
    auto *picture = new QLabel(parent);
    picture->setObjectName(name);
    picture->setGeometry(place);
    picture->setAttribute(Qt::WA_TranslucentBackground);
    const QPixmap pixmap(resource);
    if (!pixmap.isNull())
        picture->setPixmap(pixmap.scaled(place.size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    picture->setAlignment(Qt::AlignCenter);
    return picture;
}
} // namespace

TFrmSplashScreen::TFrmSplashScreen(int intervalMs, QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint), m_intervalMs(intervalMs)
{
    setObjectName(QStringLiteral("FrmSplashScreen"));
    setFixedSize(395, 195);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, cream);
    setPalette(colours);
    setFont(QFont(QStringLiteral("Verdana"), 8));

    auto *bevel = new QFrame(this);
    bevel->setObjectName(QStringLiteral("Bevel1"));
    bevel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    bevel->setGeometry(1, 1, 393, 193);

    addPicture(this, QStringLiteral("Image1"), QStringLiteral(":/images/splash-logo.png"), QRect(32, 16, 105, 129));
    addPicture(this, QStringLiteral("Image2"), QStringLiteral(":/images/splash-title.png"), QRect(134, 56, 261, 65));
    auto *bar = new QFrame(this);
    bar->setObjectName(QStringLiteral("Shape1"));
    bar->setGeometry(16, 152, 361, 9);
    bar->setFrameStyle(QFrame::Box | QFrame::Plain);
    bar->setStyleSheet(QStringLiteral("background-color: navy; border: 1px solid black;"));

    addFormLabel(this, QStringLiteral("Label1"), QStringLiteral("Freeware"), 32, 168);
    Label2 = addFormLabel(this, QStringLiteral("Label2"), QString(), 144, 168);
    QFont bold = font();
    bold.setBold(true);
    bold.setItalic(true);
    Label2->setFont(bold);
    addFormLabel(this, QStringLiteral("Label3"), QStringLiteral("by Zerko"), 320, 168);

    Timer1.setInterval(intervalMs);
    Timer1.setSingleShot(false);
    Timer1.setTimerType(Qt::PreciseTimer);
    connect(&Timer1, &QTimer::timeout, this, &TFrmSplashScreen::Timer1Timer);
    Timer1.start();
    m_shownFor.start();
    FormCreate();

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

void TFrmSplashScreen::FormCreate()
{
    Label2->setText(Label2->text() + QStringLiteral("Kestrava v3.00"));
    Label2->adjustSize();
}

void TFrmSplashScreen::Timer1Timer()
{
    // A timer may fire a little early; the window stays up its whole interval.
    const qint64 remaining = m_intervalMs - m_shownFor.elapsed();
    if (remaining > 0) {
        Timer1.start(int(remaining));
        return;
    }
    Timer1.stop();
    emit timerFired();
}
