#pragma once
// Makes every letter that a menu item's caption marks with "&" choose that item, as
// it is drawn underlined: Qt answers only to the first mark ("&An&teprima" to A, not
// to t). A letter that marks one enabled item triggers it (or opens its submenu); a
// letter that marks several moves the highlight among them, as Qt does for a clash.

#include <QObject>
#include <QString>

class QMenu;

class MenuAccessKeys : public QObject {
public:
    // The menu owns the filter.
    static void install(QMenu *menu);
    // The letters a caption marks, lower case ("&&" is an ampersand, no mark).
    static QString accessKeys(const QString &caption);

    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    using QObject::QObject;
};
