#include "options/Opzioni.h"

#include "platform/Errors.h"
#include "platform/Registry.h"

namespace {
const QString optionsValue = QStringLiteral("Zerko");
const QString patternValue = QStringLiteral("Stringa");

bool isDigitAt(const QString &text, int index)
{
    return text.at(index) >= QLatin1Char('0') && text.at(index) <= QLatin1Char('9');
}
} // namespace

TOpzioni::TOpzioni()
{
    platform::RegistryKey key;
    key.openKey(KeyPath);
    QString options;
    QString pattern;
    try {
        options = key.readString(optionsValue);
        pattern = key.readString(patternValue);
    } catch (const platform::RegistryError &) {
        key.writeString(optionsValue, DefaultOptions);
        options = DefaultOptions;
    }
    if (options.isEmpty()) {
        key.writeString(optionsValue, DefaultOptions);
        options = DefaultOptions;
    }
    if (pattern.isEmpty()) {
        key.writeString(patternValue, DefaultPattern);
        pattern = DefaultPattern;
    }
    // Shorter than six characters, or no digits where the numbers stand: bad string.
    if (options.size() < 6 || !isDigitAt(options, 4) || !isDigitAt(options, 5)) {
        key.writeString(optionsValue, DefaultOptions);
        options = DefaultOptions;
    }
    applyOptionsString(options);
    fStringaFormato = pattern;
    key.closeKey();
}

void TOpzioni::applyOptionsString(const QString &options)
{
    fAnteprima = options.at(1) == QLatin1Char('1');
    fNomePulito = options.at(2) == QLatin1Char('1');
    fTrascrivi = options.at(3) == QLatin1Char('1');
    fMaiuscole = options.at(4).unicode() - '0';
    fFormato = options.at(5).unicode() - '0';
}

QString TOpzioni::optionsString(bool anteprima, bool nomePulito, bool trascrivi, int maiuscole, int formato)
{
    QString options = DefaultOptions;
    options[1] = anteprima ? QLatin1Char('1') : QLatin1Char('0');
    options[2] = nomePulito ? QLatin1Char('1') : QLatin1Char('0');
    options[3] = trascrivi ? QLatin1Char('1') : QLatin1Char('0');
    options[4] = QString::number(maiuscole).at(0);
    options[5] = QString::number(formato).at(0);
    return options;
}

bool TOpzioni::writeRegistry(const QString &options, const QString &pattern)
{
    platform::RegistryKey key;
    const bool opened = key.openKey(KeyPath);
    const bool written = key.writeString(optionsValue, options) && key.writeString(patternValue, pattern);
    key.closeKey();
    return opened && written;
}
