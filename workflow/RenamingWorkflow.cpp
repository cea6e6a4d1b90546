#include "workflow/RenamingWorkflow.h"

#include "naming/TKestrava.h"
#include "options/Opzioni.h"
#include "platform/Errors.h"
#include "platform/FileSystem.h"
#include "platform/FolderHandle.h"
#include "platform/HeldFile.h"
#include "naming/RenameFileSystem.h"
#include "tags/TID3TagInfo.h"
#include "tags/TagSession.h"
#include "workflow/UndoLog.h"
#include "platform/DrivePaths.h"
#include "platform/NativePaths.h"

#include <QScopeGuard>

#include <cerrno>

namespace {
const QString mp3Extension = QStringLiteral(".mp3");
constexpr int maxTrackDigits = 3;
constexpr int maxId3v1Track = 255;

QString firstNonEmpty(const QString &preferred, const QString &fallback)
{
    return preferred.isEmpty() ? fallback : preferred;
}

int trackNumber(const QString &text)
{
    if (text.isEmpty() || !RenamingWorkflow::isTrackText(text))
        throw platform::ConvertError::notAnInteger(text);
    return text.toInt();
}

} // namespace

RenamingWorkflow::Settings RenamingWorkflow::Settings::from(const TOpzioni &options)
{
    return Settings{options.Maiuscole(), options.StringaFormato(), options.Trascrivi(), options.NomePulito()};
}

RenamingWorkflow::RenamingWorkflow(TKestrava &engine, TID3TagInfo &id3v1)
    : m_engine(engine), m_id3v1(id3v1)
{
}

RenamingWorkflow::~RenamingWorkflow() = default;

void RenamingWorkflow::setFile(const QString &folder, const QString &name)
{
    m_session.reset();
    m_folder = folder;
    m_folderHandle = std::make_unique<platform::FolderHandle>(folder);
    m_engine.SetFileName(name);
    m_loadedAsMp3 = isMp3();
}

QString RenamingWorkflow::fileName() const
{
    return m_engine.OriginalName();
}

bool RenamingWorkflow::isMp3() const
{
    return m_engine.Extension() == mp3Extension;
}

bool RenamingWorkflow::isPicture() const
{
    static const QStringList pictures = {QStringLiteral(".bmp"), QStringLiteral(".jpg"), QStringLiteral(".ico"),
                                         QStringLiteral(".jpeg"), QStringLiteral(".emf"), QStringLiteral(".wmf")};
    return pictures.contains(m_engine.Extension());
}

void RenamingWorkflow::readTags()
{
    // One open file serves both tags, the save and the rename after it; a read that
    // fails leaves it unloaded, so that no save follows.
    m_session = openSession();
    m_engine.Clear();
    if (!m_session->loaded())
        throw platform::FileOpenError::forFile(fileName(), platform::HeldFile::errorText(m_session->error()));
    m_engine.ReadFromFile(*m_session);
    m_id3v1.ReadFromFile(*m_session);
}

bool RenamingWorkflow::startsAsMp3() const
{
    return m_session && m_session->startsAsMp3();
}

TagFieldValues RenamingWorkflow::loadedFields(const TagFieldValues &shown, const LockTest &isLocked) const
{
    const TKestrava &v2 = m_engine;
    const TID3TagInfo &v1 = m_id3v1;
    TagFieldValues fields = shown;
    const auto fill = [&](TagField field, const QString &text) {
        if (field == TagField::Title || field == TagField::Track || !isLocked(field))
            fields[field] = text;
    };
    fill(TagField::Title, firstNonEmpty(v2.Title(), v1.GetTitle()));
    fill(TagField::Artist, firstNonEmpty(v2.Artist(), v1.GetArtist()));
    fill(TagField::Album, firstNonEmpty(v2.Album(), v1.GetAlbum()));
    fill(TagField::Genre, firstNonEmpty(v2.Genre(), v1.GetGenre()));
    fill(TagField::Track, QString::number(v2.Track() != 0 ? v2.Track() : v1.GetTrack()));
    fill(TagField::Year, firstNonEmpty(v2.Year(), v1.GetYear()));
    fill(TagField::Comment, firstNonEmpty(v2.Comment(), v1.GetComment()));
    fill(TagField::Link, v2.Link());
    return fields;
}

std::optional<QString> RenamingWorkflow::anyFileName()
{
    std::optional<QString> name;
    if (!m_settings.startEmpty)
        name = m_engine.BareName();
    if (m_settings.cleanName) {
        m_engine.cleanBareName();
        name = m_engine.NewName();
    }
    return name;
}

QString RenamingWorkflow::casedField(TagField field, const QString &text) const
{
    return field == TagField::Link ? text : casedName(text);
}

bool RenamingWorkflow::hasChangeRule(TagField field)
{
    return field != TagField::Track && field != TagField::Year;
}

TagFieldValues RenamingWorkflow::casedFields(const TagFieldValues &fields) const
{
    TagFieldValues cased = fields;
    for (const TagField field : TagFieldValues::all) {
        if (hasChangeRule(field))
            cased[field] = casedField(field, fields[field]);
    }
    return cased;
}

QString RenamingWorkflow::casedName(const QString &text) const
{
    return TKestrava::ApplyCase(m_settings.letterCase, text);
}

QString RenamingWorkflow::proposeFromTags(const TagFieldValues &fields)
{
    m_engine.SetNewName(TKestrava::ComposeName(fields[TagField::Artist], fields[TagField::Title],
                                               fields[TagField::Album], fields[TagField::Genre],
                                               fields[TagField::Track], m_settings.pattern));
    return m_engine.NewName();
}

QString RenamingWorkflow::proposeFromName(const QString &before, const QString &name, const QString &after)
{
    m_engine.SetNewName(before + casedName(name) + after);
    return m_engine.NewName();
}

bool RenamingWorkflow::isTrackText(const QString &text)
{
    if (text.size() > maxTrackDigits)
        return false;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

bool RenamingWorkflow::saveTags(const TagFieldValues &fields)
{
    const QString &trackField = fields[TagField::Track];
    TKestrava &v2 = m_engine;
    v2.SetArtist(fields[TagField::Artist]);
    v2.SetTitle(fields[TagField::Title]);
    v2.SetAlbum(fields[TagField::Album]);
    v2.SetGenre(fields[TagField::Genre]);
    if (!trackField.isEmpty())
        v2.SetTrack(std::uint16_t(trackNumber(trackField)));
    v2.SetYear(fields[TagField::Year]);
    v2.SetComment(fields[TagField::Comment]);
    v2.SetLink(fields[TagField::Link]);
    if (!m_session)
        m_session = openSession();
    m_lastSave = v2.SaveToFile(*m_session, m_writeDespiteLoss);
    const bool written = m_lastSave.saved();

    TID3TagInfo &v1 = m_id3v1;
    v1.SetTitle(fields[TagField::Title]);
    v1.SetArtist(fields[TagField::Artist]);
    v1.SetAlbum(fields[TagField::Album]);
    v1.SetComment(fields[TagField::Comment]);
    v1.SetGenre(fields[TagField::Genre]);
    v1.SetYear(fields[TagField::Year]);
    if (!trackField.isEmpty()) {
        const int track = trackNumber(trackField);
        v1.SetTrack(track <= maxId3v1Track ? track : 0);
    }
    return written;
}

void RenamingWorkflow::writeId3v1()
{
    if (!m_session)
        m_session = openSession();
    m_id3v1.WriteToFile(*m_session);
}

bool RenamingWorkflow::writeTags(const TagFieldValues &fields)
{
    if (!m_session)
        m_session = openSession();
    m_session->readAgainIfChanged();
    recordChange(fileName(), true);
    return writeRecordedTags(fields, false);
}

bool RenamingWorkflow::writeRecordedTags(const TagFieldValues &fields, bool renamed)
{
    bool written = false;
    try {
        written = saveTags(fields);
        if (written)
            writeId3v1();
    } catch (...) {
        finishChange(renamed || written);
        throw;
    }
    finishChange(renamed || written);
    return written;
}

QString RenamingWorkflow::nativePathOf(const QString &name) const
{
    return platform::absoluteNativePath(platform::toNativePath(m_folder + name));
}

void RenamingWorkflow::recordChange(const QString &newName, bool tags)
{
    if (!m_undoLog)
        return;
    UndoLog::Change change;
    change.oldPath = nativePathOf(fileName());
    change.newPath = nativePathOf(newName);
    change.tagsWritten = tags && m_session && m_session->loaded();
    if (change.tagsWritten) {
        change.oldId3v2 = m_session->oldId3v2().toByteArray();
        change.oldId3v1 = m_session->oldId3v1();
    }
    m_undoLog->recordBefore(change);
}

void RenamingWorkflow::finishChange(bool made)
{
    if (!m_undoLog)
        return;
    if (made)
        m_undoLog->recordAfter(nativePathOf(fileName()));
    else
        m_undoLog->dropPending();
}

bool RenamingWorkflow::renameFile()
{
    // The file is renamed in the folder it was loaded from, also when a list has moved
    // to another folder since.
    if (!folderStillThere())
        return TKestrava::refuseFolderGone(m_folder);
    TKestrava &engine = m_engine;
    PlatformRenameFileSystem inFolder(m_folderHandle->pathOf(QString()));
    if (!engine.PerformRename(engine.OriginalName(), engine.NewName(), engine.Extension(), inFolder))
        return false;
    const bool loadedAsMp3 = m_loadedAsMp3;
    engine.SetFileName(engine.NewName() + engine.Extension());
    m_loadedAsMp3 = loadedAsMp3;
    if (m_session)
        m_session->setNativeName(platform::HeldFile::nativeName(fileName()));
    return true;
}

bool RenamingWorkflow::folderStillThere() const
{
    return m_folderHandle && !m_folderHandle->gone();
}

std::unique_ptr<TagSession> RenamingWorkflow::openSession() const
{
    // The file is reached through the loaded folder's handle.
    if (!m_folderHandle || !m_folderHandle->valid())
        return std::make_unique<TagSession>(filePath());
    return std::make_unique<TagSession>(m_folderHandle->descriptor(), platform::HeldFile::nativeName(fileName()),
                                        fileName());
}

bool RenamingWorkflow::renameAndWriteTags(const TagFieldValues &fields, const LossQuestion &askBeforeLoss)
{
    m_lastSave = TID3v2::SaveResult{TID3v2::SaveStatus::Saved, QString()};
    if (fileName().isEmpty())
        return TKestrava::refuseNoFile(); // nothing loaded: nothing on disk is touched
    if (m_loadedAsMp3) {
        // Every question and refusal comes before anything changes on disk; a file gone
        // since the load is the rename's to tell.
        if (!folderStillThere())
            return TKestrava::refuseFolderGone(m_folder);
        if (!m_session)
            m_session = openSession();
        const bool readable = m_session->loaded() && m_session->readAgainIfChanged();
        if (!readable && m_session->error() != ENOENT) {
            m_lastSave = TID3v2::SaveResult{TID3v2::SaveStatus::ReadFailed, m_session->errorMessage()};
            return false;
        }
        if (!fields[TagField::Track].isEmpty())
            trackNumber(fields[TagField::Track]);
        if (readable && !m_writeDespiteLoss && TID3v2::losesUnreadableParts(*m_session)) {
            if (!askBeforeLoss || !askBeforeLoss(TID3v2::unreadablePartsQuestion())) {
                m_lastSave = TID3v2::SaveResult{TID3v2::SaveStatus::UnreadablePartsWouldBeLost,
                                                TID3v2::unreadablePartsQuestion()};
                return false;
            }
        }
    }
    recordChange(m_engine.NewName() + m_engine.Extension(), m_loadedAsMp3);
    if (!renameFile()) {
        finishChange(false);
        return false;
    }
    if (!m_loadedAsMp3) {
        finishChange(true);
        return true;
    }
    const auto restoreDespite = qScopeGuard([this, despite = m_writeDespiteLoss] { m_writeDespiteLoss = despite; });
    m_writeDespiteLoss = true; // asked above
    return writeRecordedTags(fields, true);
}

int RenamingWorkflow::nextIndex(int selected, int count)
{
    return selected < count - 1 ? selected + 1 : selected;
}

int RenamingWorkflow::previousIndex(int selected)
{
    return selected > 0 ? selected - 1 : selected;
}
