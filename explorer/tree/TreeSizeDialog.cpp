#include "explorer/tree/TreeSizeDialog.h"

#include "explorer/shared/ExplorerTexts.h"
#include "explorer/shared/LanguageTables.h"

#include <QEventLoop>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <atomic>
#include <thread>

namespace {
constexpr int refreshMs = 100;
constexpr int pollMs = 10;
} // namespace

TreeSizeDialog::TreeSizeDialog(QWidget *parent, const QString &shownPath, TLanguage language)
    : QDialog(parent)
    , m_language(language)
{
    setWindowTitle(ExplorerTexts.msgTreeSize);
    setWindowModality(Qt::WindowModal);
    auto *layout = new QVBoxLayout(this);
    auto *title = new QLabel(fileListCommandText(language, QStringLiteral("treeSizeCounting")).arg(shownPath), this);
    title->setTextFormat(Qt::PlainText);
    layout->addWidget(title);
    m_progress = new QLabel(this);
    m_progress->setMinimumWidth(320);
    layout->addWidget(m_progress);
    m_cancel = new QPushButton(ExplorerTexts.msgCancel.isEmpty() ? QStringLiteral("Cancel") : ExplorerTexts.msgCancel, this);
    layout->addWidget(m_cancel, 0, Qt::AlignRight);
    connect(m_cancel, &QPushButton::clicked, this, &TreeSizeDialog::cancelCount);
    showProgress();
}

// What the worker and the window share; the worker keeps it alive after a cancel.
struct TreeSizeDialog::Run {
    platform::FolderSizeCounter counter;
    platform::FolderSizeResult result;
    std::atomic<bool> done{false};
    std::atomic<bool> cancelled{false};
};

void TreeSizeDialog::reject()
{
    // Escape and the window's close button cancel.
    cancelCount();
}

void TreeSizeDialog::cancelCount()
{
    if (!m_run)
        return;
    m_run->cancelled = true;
    m_run->counter.cancel();
}

void TreeSizeDialog::showProgress()
{
    const QLocale locale;
    const std::uint64_t folders = m_run ? m_run->counter.foldersSoFar() : 0;
    const std::uint64_t bytes = m_run ? m_run->counter.bytesSoFar() : 0;
    m_progress->setText(fileListCommandText(m_language, QStringLiteral("treeSizeProgress"))
                            .arg(locale.toString(qulonglong(folders)), locale.toString(qulonglong(bytes))));
}

platform::FolderSizeResult TreeSizeDialog::count(const QString &nativePath)
{
    const std::shared_ptr<Run> run = std::make_shared<Run>();
    m_run = run;
    std::thread([run, nativePath] {
        run->result = run->counter.count(nativePath);
        run->done = true;
    }).detach();
    QEventLoop loop;
    QTimer poll;
    connect(&poll, &QTimer::timeout, &loop, [&loop, &run] {
        if (run->done || run->cancelled)
            loop.quit();
    });
    poll.start(pollMs);
    QTimer refresh;
    connect(&refresh, &QTimer::timeout, this, &TreeSizeDialog::showProgress);
    refresh.start(refreshMs);
    QTimer::singleShot(m_showDelayMs, &loop, [this] { show(); });
    loop.exec();
    hide();
    showProgress();
    if (!run->done) {
        platform::FolderSizeResult cancelled;
        cancelled.cancelled = true;
        return cancelled;
    }
    return run->result;
}
