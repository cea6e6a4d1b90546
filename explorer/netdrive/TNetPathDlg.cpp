#include "explorer/netdrive/TNetPathDlg.h"

#include "explorer/shared/PathUtils.h"
#include "explorer/shared/ShellUtils.h"

#include "platform/DrivePaths.h"
#include "platform/DriveTable.h"
#include "platform/NetworkDrives.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace {

template <typename Control>
Control *place(Control *control, const char *name, int left, int top, int width, int height)
{
    control->setObjectName(QLatin1String(name));
    control->setGeometry(left, top, width, height);
    return control;
}

QWidget *mainWindowOf(QWidget *owner)
{
    return owner ? owner->window() : QApplication::activeWindow();
}

bool browseNetworkFolder(QWidget *owner, QString &path)
{
    return BrowseForFolder(owner, path, brNetwork, false);
}

} // namespace

TNetPathDlg::TNetPathDlg(QWidget *owner, FolderBrowser browser)
    : QObject(owner)
    , m_form(new QDialog(owner))
    , m_browser(browser ? std::move(browser) : FolderBrowser(browseNetworkFolder))
{
    m_form->setObjectName(QStringLiteral("NetPathDlg"));
    m_form->setWindowTitle(QStringLiteral("Map Network Drive"));
    m_form->setFixedSize(382, 160);
    // The form's font, or the nearest of the same metrics a desktop has.
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Arial"),
                      QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans"), QStringLiteral("Helvetica")});
    font.setPointSize(8);
    m_form->setFont(font);
    m_form->setBackgroundRole(QPalette::Button);
    m_form->setAutoFillBackground(true);

    auto *prompt = place(new QLabel(QStringLiteral("Specify an avilable Drive Letter in My Computer for the connection \r"
                                                   "and the path to the Network Computer that you want to connect to:"),
                                    m_form),
                         "prompt", 28, 8, 326, 26);
    prompt->setWordWrap(true);
    place(new QLabel(QStringLiteral("Drive"), m_form), "lblDrive", 28, 56, 25, 13);
    place(new QLabel(QStringLiteral("Path"), m_form), "lblPath", 28, 88, 25, 13);
    m_driveField = place(new QComboBox(m_form), "cbxDrive", 60, 52, 189, 21);
    m_driveField->setEditable(true);
    m_pathField = place(new QLineEdit(m_form), "edtPath", 60, 84, 189, 21);
    m_okButton = place(new QPushButton(QStringLiteral("OK"), m_form), "btnOK", 272, 52, 75, 23);
    m_okButton->setDefault(true);
    auto *cancelButton = place(new QPushButton(QStringLiteral("Cancel"), m_form), "btnCancel", 272, 116, 75, 23);
    auto *browseButton = place(new QPushButton(QStringLiteral("Browse"), m_form), "btnBrowse", 272, 84, 75, 23);
    browseButton->setAutoDefault(false);
    cancelButton->setAutoDefault(false);
    m_reconnectBox = place(new QCheckBox(QStringLiteral("Reconnect at logon"), m_form), "ckbReconnect", 60, 116, 141, 21);
    m_reconnectBox->setChecked(true);
    m_noLetterLabel = place(new QLabel(QStringLiteral("Every drive letter up to Z: is in use."), m_form), "lblNoLetter",
                            60, 140, 300, 16);
    m_noLetterLabel->hide();

    QWidget::setTabOrder(m_driveField, m_pathField);
    QWidget::setTabOrder(m_pathField, m_okButton);
    QWidget::setTabOrder(m_okButton, cancelButton);
    QWidget::setTabOrder(cancelButton, browseButton);
    QWidget::setTabOrder(browseButton, m_reconnectBox);

    connect(m_okButton, &QPushButton::clicked, m_form, &QDialog::accept);
    connect(cancelButton, &QPushButton::clicked, m_form, &QDialog::reject);
    connect(browseButton, &QPushButton::clicked, this, &TNetPathDlg::browse);
    FillDriveLetters();
}

TNetPathDlg::~TNetPathDlg()
{
    delete m_form;
}

void TNetPathDlg::FillDriveLetters()
{
    const quint32 present = platform::presentDriveMask();
    int highest = 0; // 'A' when nothing is present
    for (int letter = 0; letter < 26; ++letter) {
        if (present & (1u << letter))
            highest = letter;
    }
    m_drives.clear();
    for (int letter = highest + 1; letter < 26; ++letter)
        m_drives.append(QString(QLatin1Char(char('A' + letter))) + QLatin1Char(':'));
    Drive = m_drives.value(0);
    m_driveField->clear();
    m_driveField->addItems(m_drives);
    // With Z: in use there is no letter to offer: say so, and nothing can be confirmed.
    m_noLetterLabel->setVisible(m_drives.isEmpty());
    m_okButton->setEnabled(!m_drives.isEmpty());
}

bool TNetPathDlg::Execute()
{
    m_driveField->setEditText(Drive);
    m_pathField->setText(NetPath);
    if (const QScreen *screen = m_form->screen())
        m_form->move(screen->geometry().center() - m_form->rect().center());
    const bool confirmed = m_form->exec() == QDialog::Accepted;
    if (confirmed) {
        Drive = m_driveField->currentText();
        NetPath = m_pathField->text();
    }
    Reconnect = m_reconnectBox->isChecked();
    return confirmed;
}

void TNetPathDlg::browse()
{
    QString path;
    if (!m_browser(mainWindowOf(qobject_cast<QWidget *>(parent())), path))
        return;
    // A share mounted by the desktop is given by its address, as the user would type it.
    const QString share = platform::shareOfMountedFolder(platform::toNativePath(path));
    NetPath = share.isEmpty() ? DelSlash(path) : share;
    m_pathField->setText(NetPath);
}
