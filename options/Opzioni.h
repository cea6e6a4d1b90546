#pragma once
// The user's settings for the whole run, read from the per-user registry.

#include <QString>

class TOpzioni {
public:
    static inline const QString KeyPath = QStringLiteral("\\Software\\Zerko");
    static inline const QString DefaultOptions = QStringLiteral("301102");
    static inline const QString DefaultPattern = QStringLiteral("[%1] - %2");

    // Reads the registry; missing, short, empty or bad values are replaced by the
    // defaults, which are written back at once. A hive that cannot be opened or
    // written leaves the defaults in memory.
    TOpzioni();

    bool Trascrivi() const { return fTrascrivi; }
    bool NomePulito() const { return fNomePulito; }
    bool Anteprima() const { return fAnteprima; }
    int Maiuscole() const { return fMaiuscole; }
    int Formato() const { return fFormato; }
    QString StringaFormato() const { return fStringaFormato; }

    void SetTrascrivi(bool value) { fTrascrivi = value; }
    void SetNomePulito(bool value) { fNomePulito = value; }
    void SetAnteprima(bool value) { fAnteprima = value; }
    void SetMaiuscole(int value) { fMaiuscole = value; }
    void SetFormato(int value) { fFormato = value; }
    void SetStringaFormato(const QString &value) { fStringaFormato = value; }

    // The six-character options string for these settings ("3" first).
    static QString optionsString(bool anteprima, bool nomePulito, bool trascrivi, int maiuscole, int formato);
    // Writes "Zerko" and "Stringa"; false when the hive could not be written.
    static bool writeRegistry(const QString &options, const QString &pattern);

private:
    void applyOptionsString(const QString &options);

    bool fTrascrivi = true;
    bool fNomePulito = true;
    bool fAnteprima = false;
    int fMaiuscole = 0;
    int fFormato = 2;
    QString fStringaFormato = DefaultPattern;
};
