#include "explorer/shared/PropertiesDialog.h"

#include "explorer/shared/PathUtils.h"
#include "explorer/shared/ShellFileInfo.h"
#include "explorer/shared/SystemImageList.h"
#include "platform/DrivePaths.h"
#include "platform/FileSystem.h"

#include <QCheckBox>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>
#include <QVBoxLayout>

namespace {
QLabel *valueLabel(const QString &text, const char *name)
{
    auto *label = new QLabel(text);
    label->setObjectName(QLatin1String(name));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QString sizeText(const QFileInfo &info)
{
    if (info.isDir()) {
        const qsizetype count = QDir(info.filePath()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot).size();
        return QStringLiteral("%1 items").arg(count);
    }
    return QStringLiteral("%1 (%2 bytes)").arg(QLocale().formattedDataSize(info.size()), QLocale().toString(info.size()));
}

QCheckBox *attributeBox(const QString &caption, bool set)
{
    auto *box = new QCheckBox(caption);
    box->setChecked(set);
    box->setEnabled(false);
    return box;
}
} // namespace

PropertiesDialog::PropertiesDialog(const QString &path, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("PropertiesDialog"));
    setAttribute(Qt::WA_DeleteOnClose);
    const QString native = platform::toNativePath(path);
    const QFileInfo info(native);
    const QString name = shellDisplayName(path);
    setWindowTitle(QStringLiteral("%1 Properties").arg(name));

    auto *icon = new QLabel;
    icon->setPixmap(SystemImageList::instance().largePixmap(SmallIconIndex(path)));
    auto *form = new QFormLayout;
    form->addRow(icon, valueLabel(name, "name"));
    form->addRow(QStringLiteral("Type:"), valueLabel(fileTypeNameOf(info.fileName(), info.isDir()), "type"));
    form->addRow(QStringLiteral("Location:"), valueLabel(folderPart(DelSlash(path)), "location"));
    form->addRow(QStringLiteral("Size:"), valueLabel(sizeText(info), "size"));
    form->addRow(QStringLiteral("Modified:"), valueLabel(QLocale().toString(info.lastModified(), QLocale::LongFormat), "modified"));
    const int attributes = platform::fileAttributes(path);
    auto *attributeRow = new QHBoxLayout;
    attributeRow->addWidget(attributeBox(QStringLiteral("Read-only"), attributes & platform::faReadOnly));
    attributeRow->addWidget(attributeBox(QStringLiteral("Hidden"), attributes & platform::faHidden));
    form->addRow(QStringLiteral("Attributes:"), attributeRow);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}
