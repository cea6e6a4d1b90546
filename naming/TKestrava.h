#pragma once
// The file in work and its proposed name: the naming engine.

#include "tags/TID3v2.h"

class RenameFileSystem;

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

    // Separators are space, ".", "-" and "_": strips them from both ends and collapses
    // each run of one separator character into a single one.
    static void TrimSeparators(QString &text);
    // Removes every group from `opening` through its `closing`, innermost first, then
    // trims separators. Unpaired brackets are kept.
    static QString RemoveBrackets(QChar opening, QChar closing, const QString &text);
    // Every "." becomes a space; then separators are trimmed.
    static QString DotsToSpaces(const QString &text);
    // Runs the cleaning sequence on BareName: (), [] and {} groups removed, dots
    // turned into spaces, each step stored with SetNewName.
    void cleanBareName();

    // Letter-case modes, as offered by the options.
    enum CaseMode {
        caseFirstLetter = 0,   // "Hello world"
        caseEveryWord = 1,     // "Hello World"
        caseLower = 2,         // "hello world"
        caseUpper = 3,         // "HELLO WORLD"
        caseUnchanged = 4,     // only the first character upper-cased
    };
    // Applies a letter-case mode; values outside 0-3 act as caseUnchanged.
    static QString ApplyCase(int mode, const QString &text);

    // Expands %1 artist, %2 title, %3 album, %4 genre, %5 track (at least two digits).
    // Throws platform::ConvertError when a non-empty track is not a number.
    static QString ComposeName(const QString &artist, const QString &title, const QString &album,
                               const QString &genre, const QString &track, const QString &pattern);

    // Renames oldName to newName + extension in the current folder, never replacing
    // another file and refusing an empty newName. Shows why in an information box and
    // returns false when refused.
    static bool PerformRename(const QString &oldName, const QString &newName, const QString &extension);
    static bool PerformRename(const QString &oldName, const QString &newName, const QString &extension,
                              RenameFileSystem &fileSystem);
    // Tells the user that the folder of the file to rename no longer exists; returns false.
    static bool refuseFolderGone(const QString &folder);
    // Tells that no file is loaded; false.
    static bool refuseNoFile();

private:
    QString fBareName;
    QString fExtension;
    QString fOriginalName;
    QString fNewName;
};
