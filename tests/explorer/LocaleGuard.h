#pragma once
// Makes a locale the program's default for the guard's lifetime.

#include <QLocale>

class LocaleGuard {
public:
    explicit LocaleGuard(const QLocale &locale) { QLocale::setDefault(locale); }
    ~LocaleGuard() { QLocale::setDefault(m_previous); }
    LocaleGuard(const LocaleGuard &) = delete;
    LocaleGuard &operator=(const LocaleGuard &) = delete;

private:
    QLocale m_previous;
};
