#include "explorer/shared/ShellFileOp.h"
#include "explorer/shared/LanguageTables.h"

#include "explorer/shared/ExplorerDialogs.h"
#include "explorer/shared/ExplorerTexts.h"
#include "explorer/shared/FileOperationProgressDialog.h"
#include "explorer/shared/PathUtils.h"
#include "platform/FileOperation.h"

#include <QScopeGuard>
#include <QStringList>

namespace {
FileOperationProgressFactory &progressFactory()
{
    static FileOperationProgressFactory factory = [] {
        return std::unique_ptr<platform::FileOperationProgress>(std::make_unique<FileOperationProgressDialog>());
    };
    return factory;
}

QStringList nullSeparated(const QString &list)
{
    QStringList names = DoubleNull(list).split(QChar(0));
    names.removeAll(QString());
    return names;
}
} // namespace

bool ShellFileOp(QWidget *, int operation, const QString &sources, const QString &targets, bool &)
{
    if (operation < FO_MOVE || operation > FO_RENAME)
        return false;
    const std::unique_ptr<platform::FileOperationProgress> progress = progressFactory()();
    // an operation of thousands of items tells its errors in one box
    platform::ErrorCollector errors;
    const auto tell = qScopeGuard([&] { showErrorSummary(errors.finish(), ListTextLanguage); });
    const platform::FileOperationResult result = platform::performFileOperation(
        platform::FileOperationKind(operation), nullSeparated(sources), nullSeparated(targets), progress.get(),
        [](const char *name) { return dialogText(name); });
    return result.succeeded && !result.aborted;
}

FileOperationProgressFactory setFileOperationProgressFactory(FileOperationProgressFactory factory)
{
    FileOperationProgressFactory previous = std::move(progressFactory());
    progressFactory() = std::move(factory);
    return previous;
}
