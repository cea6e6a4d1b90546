// kestrava-tags: shows, writes and renames MP3 files by the main window's own rules.
// File names are taken as the system gives them.

#include "workflow/RenamingWorkflow.h"
#include "workflow/UndoLog.h"

#include "naming/TKestrava.h"
#include "platform/DrivePaths.h"
#include "platform/Errors.h"
#include "platform/NativeNames.h"
#include "platform/NativePaths.h"
#include "platform/HeldFile.h"
#include "platform/RegularFile.h"
#include "tags/TID3TagInfo.h"
#include "tags/TID3v2.h"
#include "tags/TagSession.h"

#include <QCoreApplication>
#include <QScopeGuard>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <cstdio>
#include <optional>

namespace {
constexpr int exitFailed = 1;
constexpr int exitUsage = 2;
constexpr int exitNotOurs = 2; // a file this tool does not change

const QString usageText = QStringLiteral(
    "usage: kestrava-tags COMMAND ...\n"
    "\n"
    "commands:\n"
    "  dump FILE...              both tags of each file as JSON\n"
    "  set FILE [TAG OPTIONS]    writes the ID3v2 tag, then the ID3v1 tag; fields not\n"
    "                            given keep what the file's tags hold (ID3v2 first,\n"
    "                            ID3v1 where it is empty)\n"
    "  rename FILE [OPTIONS] [TAG OPTIONS]\n"
    "                            what the main window's \"Rinomina\" does: the file is\n"
    "                            renamed to the proposed name and, for an MP3 file,\n"
    "                            both tags are written into it; prints the new name\n"
    "  undo [N]                  takes back the last N (default 1) renames and tag\n"
    "                            writes of this tool and the main window: old name and\n"
    "                            old tag bytes; refused for a file changed since\n"
    "  undo --list               the changes that can be taken back, last first\n"
    "  undo --skip               drops the last change from the log without taking it\n"
    "                            back, so that the older ones can be\n"
    "  help, --help              this text\n"
    "\n"
    "tag options (MP3 files):\n"
    "  --title T  --artist A  --album A  --genre G  --track N  --year Y\n"
    "  --comment C  --link L     N is empty or one to three digits\n"
    "  --force       write the ID3v2 tag even when parts of the old one cannot be read\n"
    "                (they are lost); without it such a file is refused\n"
    "\n"
    "rename options:\n"
    "  --pattern P   name pattern: %1 artist, %2 title, %3 album, %4 genre, %5 track\n"
    "                (default \"[%1] - %2\")\n"
    "  --case N      letter case: 0 first letter, 1 every word, 2 lower, 3 upper,\n"
    "                4 as typed (default 0)\n"
    "  --clean       other files: bracketed groups removed, dots turned into spaces\n"
    "  --name N      other files: the new name instead of the file's own\n"
    "  --before T, --after T   other files: text put before and after the name\n"
    "\n"
    "Only regular files are changed (a link to one is renamed itself; its tags are\n"
    "written into the file it points to). Tags are written only into MP3 files: named\n"
    "\".mp3\" and starting with an ID3v2 tag or an MPEG audio frame.\n"
    "\n"
    "exit status: 0 done, 1 refused or failed, 2 wrong usage, or a folder, device,\n"
    "FIFO or socket given for a file, or tags asked for a file that is not MP3\n"
    "(nothing changed)");

void print(FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fputc('\n', stream);
}

// Why a tag save failed; a tag with unreadable parts is refused until --force.
void printSaveFailure(const QString &file, const QString &what, const TID3v2::SaveResult &result)
{
    if (result.status == TID3v2::SaveStatus::UnreadablePartsWouldBeLost)
        print(stderr, QStringLiteral("%1: %2: parts of this tag cannot be read and would be lost "
                                     "(--force writes it anyway)")
                          .arg(file, what));
    else if (!result.message.isEmpty())
        print(stderr, QStringLiteral("%1: %2: %3").arg(file, what, result.message));
    else
        print(stderr, QStringLiteral("%1: %2").arg(file, what));
}

// A file this tool leaves alone: told, nothing changed.
int refuseFile(const QString &file, const QString &why)
{
    print(stderr, QStringLiteral("kestrava-tags: %1: %2; nothing changed").arg(file, why));
    return exitNotOurs;
}

// A name that is not a regular file (links followed) is refused before anything is
// opened for reading or writing.
std::optional<int> refuseUnlessRegularFile(const QString &file)
{
    if (platform::entryKind(platform::encodeNativeName(file)) != platform::EntryKind::NotRegularFile)
        return std::nullopt; // a missing or unreadable file is told by the command itself
    return refuseFile(file, QStringLiteral("not a regular file (a folder, device, FIFO or socket)"));
}

// Tags go only into a file named and made as an MP3 file.
std::optional<int> refuseUnlessMp3(const QString &file, const RenamingWorkflow &workflow)
{
    if (!workflow.isMp3())
        return refuseFile(file, QStringLiteral("not an MP3 file: tags are written only into \".mp3\" files"));
    if (!workflow.startsAsMp3())
        return refuseFile(file, QStringLiteral("not an MP3 file: it starts with neither an ID3v2 tag nor "
                                               "MPEG audio"));
    return std::nullopt;
}

int usageError(const QString &problem)
{
    print(stderr, QStringLiteral("kestrava-tags: %1").arg(problem));
    print(stderr, QStringLiteral("Try 'kestrava-tags --help'."));
    return exitUsage;
}

// A file named on the command line: its folder as a drive path and its bare name.
struct FileArgument {
    QString folder;
    QString name;

    explicit FileArgument(const QString &nativePath)
    {
        const QString absolute = platform::absoluteNativePath(nativePath);
        const qsizetype separator = absolute.lastIndexOf(QLatin1Char('/'));
        folder = platform::toDrivePath(absolute.left(qMax(separator, 1)));
        if (!folder.endsWith(QLatin1Char('\\')))
            folder += QLatin1Char('\\');
        name = platform::toDrivePath(absolute.mid(separator + 1));
    }
    QString path() const { return folder + name; }
};

QJsonObject valuesOf(const TID3v2 &tag, const TagSession &session)
{
    QJsonArray frames;
    for (const id3v2::Frame &frame : session.id3v2().frames)
        frames.append(QString::fromLatin1(frame.id));
    return QJsonObject{
        {QStringLiteral("hasTag"), tag.HasTag() != 0}, {QStringLiteral("version"), tag.Version()},
        {QStringLiteral("tagSize"), tag.TagSize()},     {QStringLiteral("title"), tag.Title()},
        {QStringLiteral("artist"), tag.Artist()},       {QStringLiteral("album"), tag.Album()},
        {QStringLiteral("track"), tag.Track()},         {QStringLiteral("year"), tag.Year()},
        {QStringLiteral("genre"), tag.Genre()},         {QStringLiteral("comment"), tag.Comment()},
        {QStringLiteral("composer"), tag.Composer()},   {QStringLiteral("encodedBy"), tag.EncodedBy()},
        {QStringLiteral("rights"), tag.Rights()},       {QStringLiteral("language"), tag.Language()},
        {QStringLiteral("link"), tag.Link()},           {QStringLiteral("frames"), frames},
    };
}

QJsonObject valuesOf(const TID3TagInfo &tag)
{
    return QJsonObject{
        {QStringLiteral("hasTag"), tag.HasTag()},      {QStringLiteral("title"), tag.GetTitle()},
        {QStringLiteral("artist"), tag.GetArtist()},   {QStringLiteral("album"), tag.GetAlbum()},
        {QStringLiteral("year"), tag.GetYear()},       {QStringLiteral("comment"), tag.GetComment()},
        {QStringLiteral("genre"), tag.GetGenre()},     {QStringLiteral("track"), tag.GetTrack()},
    };
}

int dump(const QStringList &files)
{
    QJsonArray result;
    for (const QString &file : files) {
        // One read of the file serves both tags.
        const TagSession session(FileArgument(file).path());
        TID3v2 v2;
        TID3TagInfo v1;
        QJsonObject entry{{QStringLiteral("file"), file}};
        entry[QStringLiteral("id3v2read")] = v2.ReadFromFile(session);
        entry[QStringLiteral("id3v2")] = valuesOf(v2, session);
        if (!session.loaded())
            entry[QStringLiteral("id3v2error")] = session.errorMessage();
        try {
            v1.ReadFromFile(session);
            entry[QStringLiteral("id3v1")] = valuesOf(v1);
        } catch (const platform::Error &error) {
            entry[QStringLiteral("id3v1error")] = error.message();
        }
        result.append(entry);
    }
    print(stdout, QString::fromUtf8(QJsonDocument(result).toJson(QJsonDocument::Indented)));
    return 0;
}

void printLogProblem(const UndoLog &log)
{
    if (!log.problem().isEmpty())
        print(stderr, QStringLiteral("kestrava-tags: %1").arg(log.problem()));
}

// Drops the last change of the log, its file untouched.
int skipUndo(UndoLog &log)
{
    const UndoLog::UndoResult result = log.skipLast();
    print(result.done ? stdout : stderr, result.message);
    return result.done ? 0 : exitFailed;
}

int undo(const QStringList &arguments)
{
    UndoLog log;
    if (arguments == QStringList{QStringLiteral("--skip")})
        return skipUndo(log);
    if (arguments == QStringList{QStringLiteral("--list")}) {
        const QList<UndoLog::Change> changes = log.changes();
        printLogProblem(log);
        if (changes.isEmpty())
            print(stdout, QStringLiteral("nothing can be undone"));
        for (qsizetype i = changes.size() - 1; i >= 0; --i) {
            const UndoLog::Change &change = changes.at(i);
            const QString what = change.oldPath == change.newPath ? QStringLiteral("tags")
                                 : change.tagsWritten             ? QStringLiteral("name and tags")
                                                                  : QStringLiteral("name");
            print(stdout, QStringLiteral("%1\t%2\t%3 -> %4")
                              .arg(QString::number(changes.size() - i), what, change.oldPath, change.newPath));
        }
        return 0;
    }
    bool valid = arguments.size() <= 1;
    const int count = arguments.isEmpty() ? 1 : arguments.at(0).toInt(&valid);
    if (!valid || count < 1)
        return usageError(QStringLiteral("undo takes --list, --skip or a number of changes"));
    for (int i = 0; i < count; ++i) {
        const QList<UndoLog::Change> changes = log.changes();
        if (!changes.isEmpty()) {
            const QString path = changes.last().newPath;
            if (const std::optional<int> refused = refuseUnlessRegularFile(path))
                return *refused;
        }
        const UndoLog::UndoResult result = log.undoLast();
        print(result.done ? stdout : stderr, result.message);
        if (!result.done)
            return exitFailed;
    }
    return 0;
}

// The options after FILE: tag fields given, and the rename settings.
struct Options {
    TagFieldValues fields;
    QList<TagField> given;
    RenamingWorkflow::Settings settings;
    QString name, before, after;
    bool nameGiven = false;
    bool force = false;
    QString problem; // empty when the options are valid

    Options(const QStringList &arguments, bool renaming)
    {
        for (qsizetype i = 0; i < arguments.size() && problem.isEmpty(); ++i) {
            const QString &option = arguments.at(i);
            const QString key = option.mid(2);
            if (renaming && option == QLatin1String("--clean")) {
                settings.cleanName = true;
                continue;
            }
            if (option == QLatin1String("--force")) {
                force = true;
                continue;
            }
            if (!option.startsWith(QLatin1String("--")) || i + 1 >= arguments.size()) {
                problem = QStringLiteral("unexpected argument '%1'").arg(option);
                break;
            }
            const QString value = arguments.at(++i);
            if (const std::optional<TagField> field = TagFieldValues::fromName(key))
                setField(*field, value);
            else if (renaming)
                setRenameOption(key, value);
            else
                problem = QStringLiteral("unknown option '%1'").arg(option);
        }
    }

private:
    void setField(TagField field, const QString &value)
    {
        if (field == TagField::Track && !RenamingWorkflow::isTrackText(value)) {
            problem = QStringLiteral("the track must be empty or one to three digits, not '%1'").arg(value);
            return;
        }
        fields[field] = value;
        given.append(field);
    }

    void setRenameOption(const QString &key, const QString &value)
    {
        if (key == QLatin1String("pattern")) {
            settings.pattern = value;
        } else if (key == QLatin1String("case")) {
            const bool valid = value.size() == 1 && value.at(0) >= QLatin1Char('0') && value.at(0) <= QLatin1Char('4');
            if (valid)
                settings.letterCase = value.toInt();
            else
                problem = QStringLiteral("the letter case is a number from 0 to 4, not '%1'").arg(value);
        } else if (key == QLatin1String("name")) {
            name = value;
            nameGiven = true;
        } else if (key == QLatin1String("before")) {
            before = value;
        } else if (key == QLatin1String("after")) {
            after = value;
        } else {
            problem = QStringLiteral("unknown option '--%1'").arg(key);
        }
    }
};

// The file's fields after a load, with the options' fields in place of the loaded ones.
TagFieldValues loadedFieldsWith(RenamingWorkflow &workflow, const Options &options)
{
    workflow.readTags();
    TagFieldValues fields = workflow.loadedFields({}, [](TagField) { return false; });
    for (const TagField field : options.given)
        fields[field] = options.fields[field];
    return fields;
}

// writeTags, a failure after the ID3v2 tag was written told with the file and what was
// and was not written; nullopt after such a failure.
std::optional<bool> writeTagsTelling(const QString &file, RenamingWorkflow &workflow, const TagFieldValues &fields)
{
    try {
        return workflow.writeTags(fields);
    } catch (const platform::Error &error) {
        print(stderr, workflow.lastSaveResult().saved()
                          ? QStringLiteral("%1: the ID3v2 tag was written, the ID3v1 tag could not be: %2")
                                .arg(file, error.message())
                          : QStringLiteral("%1: no tag was written: %2").arg(file, error.message()));
        return std::nullopt;
    }
}

int set(const QString &file, const QStringList &arguments)
{
    const Options options(arguments, false);
    if (!options.problem.isEmpty())
        return usageError(options.problem);
    if (const std::optional<int> refused = refuseUnlessRegularFile(file))
        return *refused;
    TKestrava engine;
    TID3TagInfo v1;
    RenamingWorkflow workflow(engine, v1);
    UndoLog undoLog;
    workflow.setUndoLog(&undoLog);
    const FileArgument argument(file);
    workflow.setFile(argument.folder, argument.name);
    workflow.setWriteDespiteLoss(options.force);
    const auto tellLogProblem = qScopeGuard([&] { printLogProblem(undoLog); });
    if (!workflow.isMp3())
        return *refuseUnlessMp3(file, workflow);
    const TagFieldValues fields = loadedFieldsWith(workflow, options);
    if (const std::optional<int> refused = refuseUnlessMp3(file, workflow))
        return *refused;
    const std::optional<bool> written = writeTagsTelling(file, workflow, fields);
    if (!written)
        return exitFailed;
    if (!*written) {
        printSaveFailure(file, QStringLiteral("the ID3v2 tag could not be written"), workflow.lastSaveResult());
        return exitFailed;
    }
    return 0;
}

int rename(const QString &file, const QStringList &arguments)
{
    const Options options(arguments, true);
    if (!options.problem.isEmpty())
        return usageError(options.problem);
    if (const std::optional<int> refused = refuseUnlessRegularFile(file))
        return *refused;
    TKestrava engine;
    TID3TagInfo v1;
    RenamingWorkflow workflow(engine, v1);
    UndoLog undoLog;
    workflow.setUndoLog(&undoLog);
    const auto tellLogProblem = qScopeGuard([&] { printLogProblem(undoLog); });
    workflow.setSettings(options.settings);
    const FileArgument argument(file);
    workflow.setFile(argument.folder, argument.name);
    TagFieldValues fields;
    if (workflow.isMp3()) {
        // As the window's fields are after a load and the edits: each letter-cased.
        fields = workflow.casedFields(loadedFieldsWith(workflow, options));
        if (const std::optional<int> refused = refuseUnlessMp3(file, workflow))
            return *refused;
        workflow.proposeFromTags(fields);
    } else {
        if (!options.given.isEmpty())
            return usageError(QStringLiteral("tag options apply to MP3 files only"));
        const QString name = options.nameGiven ? options.name : workflow.anyFileName().value_or(QString());
        workflow.proposeFromName(options.before, name, options.after);
    }
    workflow.setWriteDespiteLoss(options.force);
    const QString oldPath = workflow.filePath();
    if (!workflow.renameAndWriteTags(fields, {})) {
        if (workflow.filePath() != oldPath)
            printSaveFailure(file, QStringLiteral("renamed, but the ID3v2 tag could not be written"),
                             workflow.lastSaveResult());
        else if (!workflow.lastSaveResult().saved())
            printSaveFailure(file, QStringLiteral("not renamed"),
                             workflow.lastSaveResult());
        return exitFailed;
    }
    std::puts(platform::encodeNativeName(platform::toNativePath(workflow.filePath())).constData());
    return 0;
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QStringList arguments; // every byte of a file name kept
    for (int i = 1; i < argc; ++i)
        arguments.append(platform::decodeNativeName(argv[i]));
    const QString command = arguments.value(0);
    if (command == QLatin1String("--help") || command == QLatin1String("-h") || command == QLatin1String("help")) {
        print(stdout, usageText);
        return 0;
    }
    try {
        if (command == QLatin1String("dump") && arguments.size() >= 2)
            return dump(arguments.mid(1));
        if (command == QLatin1String("set") && arguments.size() >= 2)
            return set(arguments.at(1), arguments.mid(2));
        if (command == QLatin1String("undo"))
            return undo(arguments.mid(1));
        if (command == QLatin1String("rename") && arguments.size() >= 2)
            return rename(arguments.at(1), arguments.mid(2));
    } catch (const platform::Error &error) {
        print(stderr, error.message());
        return exitFailed;
    }
    const QStringList commands = {QStringLiteral("dump"), QStringLiteral("set"), QStringLiteral("rename")};
    if (commands.contains(command))
        return usageError(QStringLiteral("'%1' needs a file").arg(command));
    return usageError(command.isEmpty() ? QStringLiteral("no command given")
                                        : QStringLiteral("unknown command '%1'").arg(command));
}
