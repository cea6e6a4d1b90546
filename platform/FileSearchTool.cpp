#include "platform/FileSearchTool.h"

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

namespace platform {

namespace {
struct SearchTool {
    const char *program;
    const char *folderOption; // prefix of the folder argument; empty: the folder alone
};

constexpr SearchTool searchTools[] = {
    {"catfish", "--path="},       {"gnome-search-tool", "--path="}, {"mate-search-tool", "--path="},
    {"kfind", ""},                {"searchmonkey", ""},
};

const SearchTool *installedTool(QString &executable)
{
    for (const SearchTool &tool : searchTools) {
        executable = QStandardPaths::findExecutable(QString::fromLatin1(tool.program));
        if (!executable.isEmpty())
            return &tool;
    }
    return nullptr;
}
} // namespace

QString installedFileSearchTool()
{
    QString executable;
    installedTool(executable);
    return executable;
}

bool startFileSearchTool(const QString &nativeFolder)
{
    QString executable;
    const SearchTool *tool = installedTool(executable);
    if (!tool)
        return false;
    return QProcess::startDetached(executable, {QString::fromLatin1(tool->folderOption) + nativeFolder}, nativeFolder);
}

} // namespace platform
