#include "explorer/netdrive/TNetPathDlg.h"

#include "explorer/shared/PathUtils.h"
#include "explorer/shared/ShellUtils.h"

#include "platform/DrivePaths.h"
#include "platform/DriveTable.h"
#include "platform/NetworkDrives.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace {

template <typename Control>
Control *named(Control *control, const char *name)
{
    control->setObjectName(QLatin1String(name));
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
    // The form's font, or the nearest of the same metrics a desktop has.
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Arial"),
                      QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans"), QStringLiteral("Helvetica")});
    font.setPointSize(8);
    m_form->setFont(font);
    m_form->setBackgroundRole(QPalette::Button);
    m_form->setAutoFillBackground(true);

    // The design's arrangement; the fields (189) and buttons (75) keep at least the
    // design's widths, and everything grows with the font to show its whole text. The
    // prompt breaks its line where the design's text has its carriage return.
    auto *prompt = named(new QLabel(QStringLiteral("Specify an avilable Drive Letter in My Computer for the connection \n"
                                                   "and the path to the Network Computer that you want to connect to:"),
                                    m_form),
                         "prompt");
    auto *driveLabel = named(new QLabel(QStringLiteral("Drive"), m_form), "lblDrive");
    auto *pathLabel = named(new QLabel(QStringLiteral("Path"), m_form), "lblPath");
    m_driveField = named(new QComboBox(m_form), "cbxDrive");
    m_driveField->setEditable(true);
    m_pathField = named(new QLineEdit(m_form), "edtPath");
    m_okButton = named(new QPushButton(QStringLiteral("OK"), m_form), "btnOK");
    m_okButton->setDefault(true);
    auto *cancelButton = named(new QPushButton(QStringLiteral("Cancel"), m_form), "btnCancel");
    auto *browseButton = named(new QPushButton(QStringLiteral("Browse"), m_form), "btnBrowse");
    browseButton->setAutoDefault(false);
    cancelButton->setAutoDefault(false);
    m_reconnectBox = named(new QCheckBox(QStringLiteral("Reconnect at logon"), m_form), "ckbReconnect");
    m_reconnectBox->setChecked(true);
    m_noLetterLabel = named(new QLabel(QStringLiteral("Every drive letter up to Z: is in use."), m_form), "lblNoLetter");
    m_noLetterLabel->hide();
    for (QWidget *field : {static_cast<QWidget *>(m_driveField), static_cast<QWidget *>(m_pathField)})
        field->setMinimumWidth(189);
    for (QPushButton *button : {m_okButton, cancelButton, browseButton})
        button->setMinimumWidth(75);

    auto *grid = new QGridLayout(m_form);
    grid->setContentsMargins(28, 8, 28, 8);
    grid->setHorizontalSpacing(7);
    grid->setVerticalSpacing(9);
    grid->addWidget(prompt, 0, 0, 1, 4);
    grid->setRowMinimumHeight(1, 9);
    grid->addWidget(driveLabel, 2, 0);
    grid->addWidget(m_driveField, 2, 1);
    grid->addWidget(m_okButton, 2, 3);
    grid->addWidget(pathLabel, 3, 0);
    grid->addWidget(m_pathField, 3, 1);
    grid->addWidget(browseButton, 3, 3);
    grid->addWidget(m_reconnectBox, 4, 1);
    grid->addWidget(cancelButton, 4, 3);
    grid->addWidget(m_noLetterLabel, 5, 1, 1, 3);
    grid->setColumnMinimumWidth(2, 9); // the gap between the fields and the buttons
    grid->setSizeConstraint(QLayout::SetFixedSize);

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
