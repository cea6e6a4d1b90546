#include "tests/workflow/UndoFiles.h"

#include "naming/TKestrava.h"
#include "tags/TID3TagInfo.h"
#include "tests/common/TempFolder.h"
#include "tests/tags/TagBytes.h"
#include "workflow/RenamingWorkflow.h"
#include "workflow/UndoLog.h"

#include <gtest/gtest.h>

using namespace tagbytes;

namespace undofiles {
namespace {
QByteArray cover(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    quint32 state = 12345;
    for (char &c : bytes) {
        state = state * 1103515245u + 12345u;
        c = char(state >> 16);
    }
    return QByteArrayLiteral("\0image/jpeg\0\3\0") + bytes;
}
} // namespace

void writeCovered(const TempFolder &folder, const QString &name, int padding, bool withId3v1)
{
    const QByteArray body = frameV23("TIT2", latin1Text("Alpha")) + frameV23("TPE1", latin1Text("Ann")) +
                            frameV23("APIC", cover(3000)) + frameV23("XKES", "foreign bytes \x01\x02");
    QByteArray file = id3v2Tag(3, body, 0, padding) + silentAudio(3);
    if (withId3v1)
        file += id3v1("Alpha", "Ann", 3, 17);
    folder.write(name, file);
}

QString rename(const TempFolder &folder, const QString &subfolder, const QString &name, const QString &artist,
               const QString &title)
{
    TKestrava engine;
    TID3TagInfo id3v1;
    RenamingWorkflow workflow(engine, id3v1);
    UndoLog log;
    workflow.setUndoLog(&log);
    QString path = folder.drivePath() + u'\\';
    if (!subfolder.isEmpty())
        path += subfolder + u'\\';
    workflow.setFile(path, name);
    workflow.readTags();
    TagFieldValues fields = workflow.loadedFields({}, [](TagField) { return false; });
    fields[TagField::Artist] = artist;
    fields[TagField::Title] = title;
    workflow.proposeFromTags(fields);
    EXPECT_TRUE(workflow.renameAndWriteTags(fields, [](const QString &) { return true; }));
    EXPECT_TRUE(log.problem().isEmpty()) << log.problem().toStdString();
    return workflow.fileName();
}

} // namespace undofiles
