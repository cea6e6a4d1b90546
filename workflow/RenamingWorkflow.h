#pragma once
// The renaming of one file at a time: loading a file (its tags, or the name proposed
// for any other file), the proposed new name, the rename with the tag writes that
// follow it, and the step through a list. Works on the naming engine and the ID3v1
// tag object it is given; holds no widgets, so the main window and the command-line
// tools share the same rules.

#include "tags/TID3v2.h"
#include "workflow/TagFieldValues.h"

#include <QString>
#include <functional>
#include <memory>
#include <optional>

class TagSession;
class TKestrava;
namespace platform {
class FolderHandle;
}
class TID3TagInfo;
class TOpzioni;
class UndoLog;

class RenamingWorkflow {
public:
    struct Settings {
        int letterCase = 0;      // a TKestrava::CaseMode
        QString pattern = QStringLiteral("[%1] - %2");
        bool startEmpty = false; // the new name of any other file starts empty
        bool cleanName = false;  // bracketed groups removed, dots turned into spaces

        static Settings from(const TOpzioni &options);
    };
    // Whether a load may overwrite a field.
    using LockTest = std::function<bool(TagField)>;

    RenamingWorkflow(TKestrava &engine, TID3TagInfo &id3v1);
    ~RenamingWorkflow();

    void setSettings(const Settings &settings) { m_settings = settings; }
    const Settings &settings() const { return m_settings; }
    TKestrava &engine() { return m_engine; }
    // Where the renames and tag writes are recorded before they are made, so that they
    // can be taken back; none (the default) records nothing.
    void setUndoLog(UndoLog *log) { m_undoLog = log; }

    // Takes `name` (a bare name, empty for no file) of `folder` (a drive path ending in
    // its separator; empty for the current folder) as the file in work.
    void setFile(const QString &folder, const QString &name);
    QString folder() const { return m_folder; }
    QString fileName() const;
    // The file's path as the program names files: folder + name.
    QString filePath() const { return m_folder + fileName(); }
    bool isMp3() const;
    // Loaded as MP3: only such a file gets tags when renamed, whatever its new name.
    bool loadedAsMp3() const { return m_loadedAsMp3; }
    bool isPicture() const;

    // Opens the file in work once and reads the ID3v2 tag into the engine, then the ID3v1
    // tag. A failed open or read throws platform::FileOpenError with its cause, the
    // engine's values cleared and every later save refused; a file too short for an
    // ID3v1 tag throws platform::StreamError.
    void readTags();
    // Whether the file in work holds what this program tags: an ID3v2 tag or an MPEG
    // audio frame at its start (readTags first).
    bool startsAsMp3() const;
    // The fields after a load: the ID3v2 values first, the ID3v1 values where those are
    // empty (the track where it is 0), every locked field as `shown` has it.
    TagFieldValues loadedFields(const TagFieldValues &shown, const LockTest &isLocked) const;
    // The text the new-name field of any other file starts with: the bare name, cleaned
    // when asked; none when it starts empty.
    std::optional<QString> anyFileName();

    // A field's text with the letter case applied; the link keeps its case (a web
    // address's path tells letters apart).
    QString casedField(TagField field, const QString &text) const;
    QString casedName(const QString &text) const;
    // Whether a field's text follows the letter case as it is typed (track and year do not).
    static bool hasChangeRule(TagField field);
    // Every field as typing it in the window leaves it: each with a change rule cased.
    TagFieldValues casedFields(const TagFieldValues &fields) const;
    // Composes the new name by the pattern from the fields, stores it in the engine
    // (characters a file name cannot hold replaced) and returns it.
    QString proposeFromTags(const TagFieldValues &fields);
    // The same for any other file: before + the name letter-cased + after.
    QString proposeFromName(const QString &before, const QString &name, const QString &after);

    // Empty, or one to three decimal digits: what the track field can hold.
    static bool isTrackText(const QString &text);
    // Copies the fields into both tag objects and writes the ID3v2 tag into the file in
    // work; false when that write failed. An empty track keeps the tracks read; ID3v1
    // holds one byte, so a track above 255 is stored there as none. Throws
    // platform::ConvertError for a track that is not a number.
    bool saveTags(const TagFieldValues &fields);
    // How the last saveTags ended, with the message for the user. A tag with parts that
    // cannot be read is not written (UnreadablePartsWouldBeLost, the message asks whether
    // to write anyway) unless setWriteDespiteLoss(true) was called.
    const TID3v2::SaveResult &lastSaveResult() const { return m_lastSave; }
    void setWriteDespiteLoss(bool write) { m_writeDespiteLoss = write; }
    // Writes the ID3v1 tag object into the file in work. Throws on file errors.
    void writeId3v1();
    // saveTags, then writeId3v1 when the ID3v2 tag was written.
    bool writeTags(const TagFieldValues &fields);

    // Renames the file in work to the proposed name + its extension, in the folder it
    // was loaded from, telling the user why when refused. Afterwards the renamed file
    // is the file in work.
    bool renameFile();

    // Asked with a question; true for "yes".
    using LossQuestion = std::function<bool(const QString &question)>;
    // What "Rinomina" does: for a file loaded as MP3 every refusal and question comes
    // first (a tag that could not be read, a track that is no number, parts of the tag
    // that would be lost: asked with `askBeforeLoss`), and only then is the file renamed
    // and both tags written. False when refused, declined (nothing changed) or failed
    // (lastSaveResult() tells which; a rename refused was told by the rename).
    bool renameAndWriteTags(const TagFieldValues &fields, const LossQuestion &askBeforeLoss);

    // The item to select for a step forward or back from `selected` (-1 for none) in a
    // list of `count` items; at either end the same item.
    static int nextIndex(int selected, int count);
    static int previousIndex(int selected);

private:
    bool folderStillThere() const;
    QString nativePathOf(const QString &name) const;
    // Records the change about to be made to the file in work (renamed to `newName`,
    // its tags written when `tags`); finishChange follows it with whether it was made.
    void recordChange(const QString &newName, bool tags);
    void finishChange(bool made);
    // saveTags then writeId3v1, the change recorded as made when the file was `renamed`
    // or a tag written, also when a write throws.
    bool writeRecordedTags(const TagFieldValues &fields, bool renamed);

    std::unique_ptr<TagSession> openSession() const;

    TKestrava &m_engine;
    TID3TagInfo &m_id3v1;
    Settings m_settings;
    QString m_folder;
    bool m_loadedAsMp3 = false;
    bool m_writeDespiteLoss = false;
    TID3v2::SaveResult m_lastSave;
    std::unique_ptr<platform::FolderHandle> m_folderHandle; // the folder loaded from
    std::unique_ptr<TagSession> m_session;
    UndoLog *m_undoLog = nullptr;
};
