#include "explorer/filelist/FolderListingJob.h"

#include <QDeadlineTimer>

namespace {
// How often the worker tells a waiting window thread how far it has come.
constexpr int progressEvery = 256;
} // namespace

FolderListingJob::FolderListingJob(FolderListingRequest request)
    : m_request(std::move(request))
    , m_listing(m_request.settings, [this](FileListItem &&row, int typeSlot) {
        m_rows.push_back(std::move(row));
        m_typeSlots.push_back(typeSlot);
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
        const std::vector<int> oldRows = sortFileListItems(m_rows, m_request.order);
        std::vector<int> sortedSlots;
        sortedSlots.reserve(oldRows.size());
        for (int oldRow : oldRows)
            sortedSlots.push_back(m_typeSlots[size_t(oldRow)]);
        m_typeSlots = std::move(sortedSlots);
    }
    if (m_onDone)
        m_onDone();
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

std::vector<FileListItem> FolderListingJob::takeRows()
{
    FolderListing::applyShellTypes(m_rows, m_typeSlots, m_listing.typeSamples());
    m_typeSlots = {};
    return std::move(m_rows);
}
