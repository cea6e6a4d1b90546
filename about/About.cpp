#include "about/About.h"

#include "about/LinkLabel.h"
#include "widgets/FormLabel.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>

namespace {

// Captions stored scrambled: position i holds i XOR the readable character.
const char16_t scrambledHeading[] = u"\u004A\u0067\u0070\u0070\u0077\u0067\u0071\u0069\u0029\u007C\u0038\u0022\u003D\u003E";
const char16_t scrambledWeb[] = u"\u0076\u0075\u0074\u002A\u006E\u0063\u0074\u007C\u007B\u006B\u007D\u006D\u0023\u006B\u0077\u0071\u007C\u0062\u007F\u0071";
const char16_t scrambledMail[] = u"\u007B\u0067\u0071\u006F\u006A\u0046\u006C\u006D\u007A\u007E\u0079\u006D\u007B\u006F\u0021\u0075\u0069\u0073\u007E\u0064\u0079\u0073";
const char16_t *const scrambledCredits[] = {
    u"\u004A\u0067\u0070\u0070\u0077\u0067\u0071\u0069\u0029\u007C\u0038\u0022\u003D\u003E",
    u"\u0063\u007B\u0023\u005E\u0060\u0074\u006C\u0067",
    u"\u0048\u0066\u0066\u0065\u0025\u0063\u0027\u0078\u007B\u0065\u006C\u007E\u006C\u0063\u0062\u0071",
    u"\u005B\u0067\u0071\u006F\u006A",
    u"\u0046\u0070\u0062\u0062\u006C\u0065\u0066\u0028\u006C\u002A\u0062\u006F\u0062\u0060\u006A",
    u"\u005B\u0067\u0071\u006F\u006A",
    u"\u0046\u0070\u0062\u007E\u006C\u0063\u0027\u0069\u0029\u0069\u0063\u0065\u002D\u007E\u007D\u007F\u0067\u0073",
    u"\u006E\u0065\u006D\u006D\u0025\u0068\u0072\u0067\u007F\u006B\u002B\u007A\u0068\u007C\u007C\u0079\u007E\u007C\u0076",
};
const char16_t scrambledClosing[] = u"\u0040\u0070\u0071\u006D\u0073\u0063\u0063\u006D\u007B\u0069\u0062\u002D";

const QColor skyBlue(0xA6, 0xCA, 0xF0);
const QColor mediumGrey(0x80, 0x80, 0x80);

TLinkLabel *addLink(QWidget *parent, const QString &name, TLinkLabel::TTipo tipo, int x, int y)
{
    auto *link = new TLinkLabel(parent);
    link->setObjectName(name);
    link->setTipo(tipo);
    QFont tahoma(QStringLiteral("Tahoma"), 8);
    tahoma.setUnderline(true);
    link->setFont(tahoma);
    link->move(x, y);
    return link;
}

QString blank()
{
    return QStringLiteral(" ");
}

} // namespace

TfrmAbout::TfrmAbout(QWidget *parent)
    : QWidget(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowModality(Qt::NonModal);
    buildForm();
    FormCreate();
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

void TfrmAbout::buildForm()
{
    setWindowTitle(QStringLiteral("About"));
    setFixedSize(383, 210);
    QFont verdana(QStringLiteral("Verdana"), 8);
    verdana.setItalic(true);
    setFont(verdana);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Box | QFrame::Plain);
    Panel1->setGeometry(8, 8, 367, 163);

    Label1 = new QLabel(Panel1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(1, 1, 361, 18);
    Label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label1->setAutoFillBackground(true);
    QPalette heading = Label1->palette();
    heading.setColor(QPalette::Window, skyBlue);
    heading.setColor(QPalette::WindowText, Qt::white);
    Label1->setPalette(heading);
    QFont headingFont(QStringLiteral("Verdana"), 11, QFont::Bold, true);
    Label1->setFont(headingFont);
    Label1->setText(QString::fromUtf16(scrambledHeading));

    Image1 = new QLabel(Panel1);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(8, 23, 105, 129);
    Image1->setPixmap(QPixmap(QStringLiteral(":/images/about-logo.png")));
    Image1->installEventFilter(this);

    Memo1 = new QTextEdit(Panel1);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setGeometry(8, 23, 105, 129);
    Memo1->setReadOnly(true);
    Memo1->setFocusPolicy(Qt::NoFocus);
    Memo1->setTextInteractionFlags(Qt::NoTextInteraction);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette credits = Memo1->palette();
    credits.setColor(QPalette::Base, Qt::black);
    credits.setColor(QPalette::Text, Qt::yellow);
    Memo1->setPalette(credits);
    Memo1->setFont(QFont(QStringLiteral("Verdana"), 8, QFont::Bold, true));
    QTextOption centred = Memo1->document()->defaultTextOption();
    centred.setAlignment(Qt::AlignHCenter);
    Memo1->document()->setDefaultTextOption(centred);
    Memo1->setPlainText(QString(MemoLineCount - 1, QLatin1Char('\n')));
    Memo1->viewport()->setMouseTracking(true);
    Memo1->viewport()->installEventFilter(this);
    Memo1->hide();

    addFormLabel(Panel1, QStringLiteral("Label2"), QStringLiteral("Internet:"), 119, 25);
    LinkLabel2 = addLink(Panel1, QStringLiteral("LinkLabel2"), TLinkLabel::Internet, 143, 44);
    LinkLabel2->setText(QString::fromUtf16(scrambledWeb));
    addFormLabel(Panel1, QStringLiteral("Label3"), QStringLiteral("E-Mail:"), 119, 63);
    LinkLabel1 = addLink(Panel1, QStringLiteral("LinkLabel1"), TLinkLabel::EMail, 143, 82);
    LinkLabel1->setText(QString::fromUtf16(scrambledMail));
    QLabel *build = addFormLabel(Panel1, QStringLiteral("Label4"), QStringLiteral("Build: 73"), 303, 139);
    QPalette grey = build->palette();
    grey.setColor(QPalette::WindowText, mediumGrey);
    build->setPalette(grey);

    Button1 = new QPushButton(QStringLiteral("&Ok"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(159, 177, 75, 25);
    connect(Button1, &QPushButton::clicked, this, &TfrmAbout::Button1Click);

    Timer1.setParent(this); // a member: it leaves its parent before the parent is destroyed
    Timer1.setObjectName(QStringLiteral("Timer1"));
    Timer1.setInterval(1000);
    connect(&Timer1, &QTimer::timeout, this, &TfrmAbout::Timer1Timer);
}

void TfrmAbout::FormCreate()
{
    for (QLabel *label : {static_cast<QLabel *>(Label1), static_cast<QLabel *>(LinkLabel1), static_cast<QLabel *>(LinkLabel2)}) {
        label->setText(Cripto1.Decode(label->text()));
        if (label != Label1)
            label->adjustSize();
    }

    QStringList credit;
    for (const char16_t *scrambled : scrambledCredits)
        credit << Cripto1.Decode(QString::fromUtf16(scrambled));
    const auto blanks = [](int count) { return QStringList(count, blank()); };
    m_creditsBlock = blanks(7) + QStringList{credit[0], credit[1]} + blanks(2) + QStringList{credit[2]} + blanks(3)
                   + QStringList{credit[3]} + blanks(2) + QStringList{credit[4]} + blanks(1) + QStringList{credit[5]}
                   + blanks(1) + QStringList{credit[6]} + blanks(1) + QStringList{credit[7]} + blanks(1)
                   + QStringList{QStringLiteral("*********"), QStringLiteral("******"), QStringLiteral("***"),
                                 QStringLiteral("1826"), Cripto1.Decode(QString::fromUtf16(scrambledClosing))};
    Q_ASSERT(m_creditsBlock.size() == CreditsCycle);
}

QString TfrmAbout::memoLine(int line) const
{
    return Memo1->document()->findBlockByNumber(line).text();
}

void TfrmAbout::setMemoLine(int line, const QString &text)
{
    const QTextBlock block = Memo1->document()->findBlockByNumber(line);
    if (line < 0 || !block.isValid())
        return; // the memo has no such line
    QTextCursor cursor(block);
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    cursor.insertText(text);
}

void TfrmAbout::Timer1Timer()
{
    for (int index = 0; index + 1 < m_creditsBlock.size(); ++index) {
        setMemoLine(m_counter, m_creditsBlock[index]);
        m_counter = (m_counter + 1) % CreditsCycle;
    }
    setMemoLine(m_counter, m_creditsBlock.last());
}

void TfrmAbout::Image1MouseDown(Qt::KeyboardModifiers modifiers)
{
    if (!(modifiers & Qt::ShiftModifier) || !(modifiers & Qt::ControlModifier))
        return;
    Image1->hide();
    Memo1->show();
    Timer1.start();
}

void TfrmAbout::moveFocusToButton()
{
    Button1->setFocus();
}

bool TfrmAbout::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Image1 && event->type() == QEvent::MouseButtonPress) {
        Image1MouseDown(static_cast<QMouseEvent *>(event)->modifiers());
        return true;
    }
    if (watched == Memo1->viewport()) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
            moveFocusToButton();
            return true;
        default: break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TfrmAbout::closeEvent(QCloseEvent *event)
{
    FormClose();
    QWidget::closeEvent(event);
}

void TfrmAbout::FormClose()
{
    Image1->show();
    Memo1->hide();
    Timer1.stop();
    for (int line = 0; line < MemoLineCount; ++line)
        setMemoLine(line, QString());
    m_counter = 0;
}
