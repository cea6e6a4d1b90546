#pragma once
// The file in work and its proposed name: the naming engine.

#include "tags/TID3v2.h"

class TKestrava : public TID3v2 {
public:
    TKestrava() = default;

    // Stores the name, derives the lower-case extension and the bare name.
    void SetFileName(const QString &name);
    void SetExtension(const QString &text) { fExtension = text; }
    void SetBareName(const QString &text) { fBareName = text; }
    // Replaces the characters a file name cannot hold by "_" and stores the text.
    void SetNewName(const QString &text);

    QString BareName() const { return fBareName; }
    QString Extension() const { return fExtension; }
    QString OriginalName() const { return fOriginalName; }
    QString NewName() const { return fNewName; }

    // Letters A-Z and a-z only; every other character is kept.
    static QString asciiLower(const QString &text);
    static QString asciiUpper(const QString &text);

private:
    QString fBareName;
    QString fExtension;
    QString fOriginalName;
    QString fNewName;
};
