#pragma once
// Shows file and folder names readably (platform::displayName: bytes that are not
// UTF-8 as Latin-1 letters or "\xNN") while the items keep the names themselves.

#include <QStyledItemDelegate>

class NameDisplayDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QString displayText(const QVariant &value, const QLocale &locale) const override;
};
