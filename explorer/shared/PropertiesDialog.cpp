#include "explorer/shared/PropertiesDialog.h"

#include "explorer/shared/ExplorerTexts.h"
#include "explorer/shared/LanguageTables.h"
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
// Numbers and dates in the dialog's language.
QLocale languageLocale()
{
    return QLocale(languageTableName(DialogTextLanguage));
}

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
        return pluralText(DialogTextLanguage, QStringLiteral("propItems"), count);
    }
    return dialogText("propBytes").arg(languageLocale().formattedDataSize(info.size()), languageLocale().toString(info.size()));
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
    setWindowTitle(dialogText("propertiesTitle").arg(name));

    auto *icon = new QLabel;
    icon->setPixmap(SystemImageList::instance().largePixmap(SmallIconIndex(path)));
    auto *form = new QFormLayout;
    form->addRow(icon, valueLabel(name, "name"));
    form->addRow(dialogText("propType"), valueLabel(fileTypeNameOf(info.fileName(), info.isDir()), "type"));
    form->addRow(dialogText("propLocation"), valueLabel(folderPart(DelSlash(path)), "location"));
    form->addRow(dialogText("propSize"), valueLabel(sizeText(info), "size"));
    form->addRow(dialogText("propModified"), valueLabel(languageLocale().toString(info.lastModified(), QLocale::LongFormat), "modified"));
    const int attributes = platform::fileAttributes(path);
    auto *attributeRow = new QHBoxLayout;
    attributeRow->addWidget(attributeBox(dialogText("propReadOnly"), attributes & platform::faReadOnly));
    attributeRow->addWidget(attributeBox(dialogText("propHidden"), attributes & platform::faHidden));
    form->addRow(dialogText("propAttributes"), attributeRow);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}
