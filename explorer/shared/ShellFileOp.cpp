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

bool ShellFileOp(QWidget *, int operation, const QString &sources, const QString &targets, bool &aborted)
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
    aborted = result.cancelled;
    return result.succeeded && !result.aborted;
}

void ShellFileOpEach(QWidget *owner, int operation, const QStringList &sources,
                     const std::function<QString(const QString &source)> &targetOf, int language,
                     const std::function<void()> &beforeEach)
{
    for (qsizetype i = 0; i < sources.size(); ++i) {
        if (beforeEach)
            beforeEach();
        bool aborted = false;
        ShellFileOp(owner, operation, sources.at(i), targetOf(sources.at(i)), aborted);
        const qsizetype left = sources.size() - i - 1;
        if (aborted) {
            if (left > 0)
                showInformationDialog(pluralText(language, QStringLiteral("stoppedLeft"), left));
            return;
        }
    }
}

FileOperationProgressFactory setFileOperationProgressFactory(FileOperationProgressFactory factory)
{
    FileOperationProgressFactory previous = std::move(progressFactory());
    progressFactory() = std::move(factory);
    return previous;
}
