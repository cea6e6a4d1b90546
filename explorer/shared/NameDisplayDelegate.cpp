#include "explorer/shared/NameDisplayDelegate.h"

#include "platform/NativeNames.h"

QString NameDisplayDelegate::displayText(const QVariant &value, const QLocale &locale) const
{
    if (value.typeId() == QMetaType::QString)
        return platform::displayName(value.toString());
    return QStyledItemDelegate::displayText(value, locale);
}
