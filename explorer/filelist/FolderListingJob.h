#pragma once
// One listing of a folder, read off the window thread: the rows are gathered and
// sorted on a worker; the window thread then gives them their icons and type names.
// A listing can be cancelled; the window thread may wait a little for it, so that a
// small folder is shown at once.

#include "explorer/filelist/FileListRow.h"
#include "explorer/filelist/FileListSort.h"
#include "explorer/filelist/FolderListing.h"

#include <QMutex>
#include <QWaitCondition>
#include <exception>
#include <vector>

struct FolderListingRequest {
    FolderListingSettings settings;
    QString folder;
    TFileType fileType;
    QString mask;
    bool showFolders = true;
    FileListOrder order; // the order the rows are given in
};

class FolderListingJob {
public:
    explicit FolderListingJob(FolderListingRequest request);

    // Lists and sorts (worker thread).
    void run();
    void cancel() { m_listing.cancel(); }
    bool cancelled() const { return m_listing.cancelled(); }

    // Waits until the listing is done, has examined more than `entries` entries, or
    // `milliseconds` have passed. True when it is done.
    bool waitBriefly(int entries, int milliseconds);
    bool isDone() const;
    void waitUntilDone();

    // Once done (window thread): the sorted rows with their icons, and what they share
    // (type names included).
    std::vector<FileListRow> takeRows(FileListContext &context);
    qint64 listedTotal() const { return m_listing.listedTotal(); }
    bool serverUnreachable() const { return m_listing.serverUnreachable(); }
    const FileListOrder &order() const { return m_request.order; }
    // What the listing raised, if anything; the rows hold what was read before.
    std::exception_ptr error() const { return m_error; }

private:
    FolderListingRequest m_request;
    std::vector<FileListRow> m_rows;
    FolderListing m_listing;
    std::exception_ptr m_error;
    mutable QMutex m_mutex;
    QWaitCondition m_progress;
    bool m_done = false;
};
