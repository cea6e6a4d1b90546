#include "explorer/filelist/FolderListingJob.h"

#include <QDeadlineTimer>

namespace {
// How often the worker tells a waiting window thread how far it has come.
constexpr int progressEvery = 256;
} // namespace

FolderListingJob::FolderListingJob(FolderListingRequest request)
    : m_request(std::move(request))
    , m_listing(m_request.settings, [this](FileListRow &&row) {
        m_rows.push_back(std::move(row));
        if (m_rows.size() % progressEvery == 0) {
            QMutexLocker lock(&m_mutex);
            m_progress.wakeAll();
        }
    })
{
}

void FolderListingJob::run()
{
    try {
        m_listing.listFolder(m_request.folder, m_request.fileType, m_request.mask, m_request.showFolders);
    } catch (...) {
        m_error = std::current_exception();
    }
    if (!cancelled()) {
        m_rows.shrink_to_fit();
        sortFileListRows(m_rows, m_listing.context(), m_request.order);
    }
    QMutexLocker lock(&m_mutex);
    m_done = true;
    m_progress.wakeAll();
}

bool FolderListingJob::waitBriefly(int entries, int milliseconds)
{
    QDeadlineTimer deadline(milliseconds);
    QMutexLocker lock(&m_mutex);
    while (!m_done && m_listing.entriesSeen() <= entries && !deadline.hasExpired())
        m_progress.wait(&m_mutex, deadline);
    return m_done;
}

bool FolderListingJob::isDone() const
{
    QMutexLocker lock(&m_mutex);
    return m_done;
}

void FolderListingJob::waitUntilDone()
{
    QMutexLocker lock(&m_mutex);
    while (!m_done)
        m_progress.wait(&m_mutex);
}

std::vector<FileListRow> FolderListingJob::takeRows(FileListContext &context)
{
    context = m_listing.context();
    m_listing.applyShellTypes(m_rows, context);
    return std::move(m_rows);
}
