#include "explorer/tree/TreeSizeDialog.h"

#include "explorer/shared/ExplorerTexts.h"
#include "explorer/shared/LanguageTables.h"

#include <QEventLoop>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <thread>

namespace {
constexpr int refreshMs = 100;
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

void TreeSizeDialog::reject()
{
    // Escape and the window's close button cancel; the count ends on its own.
    cancelCount();
}

void TreeSizeDialog::showProgress()
{
    const QLocale locale;
    m_progress->setText(fileListCommandText(m_language, QStringLiteral("treeSizeProgress"))
                            .arg(locale.toString(qulonglong(m_counter.foldersSoFar())),
                                 locale.toString(qulonglong(m_counter.bytesSoFar()))));
}

platform::FolderSizeResult TreeSizeDialog::count(const QString &nativePath)
{
    platform::FolderSizeResult result;
    QEventLoop loop;
    bool finished = false;
    std::thread worker([&] {
        result = m_counter.count(nativePath);
        QMetaObject::invokeMethod(&loop, [&] {
            finished = true;
            loop.quit();
        }, Qt::QueuedConnection);
    });
    QTimer refresh;
    connect(&refresh, &QTimer::timeout, this, &TreeSizeDialog::showProgress);
    refresh.start(refreshMs);
    QTimer::singleShot(m_showDelayMs, &loop, [this, &finished] {
        if (!finished)
            show();
    });
    if (!finished)
        loop.exec();
    worker.join();
    hide();
    return result;
}
