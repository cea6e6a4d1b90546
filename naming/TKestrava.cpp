#include "naming/TKestrava.h"

#include "text/Ascii.h"

void TKestrava::SetFileName(const QString &name)
{
    fOriginalName = name;
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const bool validDot = dot >= 0 && name.indexOf(QLatin1Char('\\'), dot) < 0
                          && name.indexOf(QLatin1Char(':'), dot) < 0;
    SetExtension(validDot ? ascii::toLower(name.mid(dot)) : QString());
    SetBareName(fExtension.isEmpty() ? name : name.left(name.size() - fExtension.size()));
}

void TKestrava::SetNewName(const QString &text)
{
    static const QString invalid = QStringLiteral("*\\/:?\"<>|");
    QString result = text;
    for (QChar &c : result) {
        if (invalid.contains(c))
            c = QLatin1Char('_');
    }
    fNewName = result;
}
