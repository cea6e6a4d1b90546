// The listing session over real folders and a real SMB share: a read superseded or
// cancelled delivers nothing, a silent share is given up after the limit, and the
// follow-ups run once after the rows.

#include "explorer/shared/ListingSession.h"
#include "platform/DriveTable.h"
#include "platform/FindFiles.h"
#include "platform/NetworkThreads.h"
#include "tests/common/EventLoopPauses.h"
#include "tests/common/SambaShare.h"
#include "tests/common/TempFolder.h"

#include <QElapsedTimer>
#include <QScopeGuard>
#include <QSemaphore>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <iostream>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace {
constexpr int patienceMs = 10000;

// The names of a folder, read as the controls read them; stops at the cancel.
QStringList namesIn(const QString &folder, const std::atomic<bool> &cancelled)
{
    QStringList names;
    platform::FindFiles finder(folder + u"*.*"_s, platform::EntryKinds::NonFolders);
    platform::FoundEntry entry;
    while (!cancelled && finder.next(entry))
        names.append(entry.name);
    names.sort();
    return names;
}

// A read held on the worker until released, recording what happens to it.
struct HeldRead {
    QSemaphore release;
    std::atomic<bool> ran{false};
    std::atomic<bool> cancelled{false};
    int delivered = 0;
    ListingSession::Read read(QStringList *events, const QString &name)
    {
        return {[this] {
                    release.acquire();
                    ran = true;
                },
                [this] { cancelled = true; },
                [this, events, name] {
                    ++delivered;
                    events->append(name + u" shown"_s);
                },
                {}};
    }
};
} // namespace

TEST(ListingSessionTest, ACancelledOrSupersededReadDeliversNothingAndDropsItsFollowUps)
{
    TempFolder folder;
    const QString path = folder.drivePath();
    QStringList events;

    // Cancelled: its follow-up is dropped, its late end is ignored.
    HeldRead cancelled;
    ListingSession session;
    session.start(path, cancelled.read(&events, u"cancelled"_s));
    EXPECT_TRUE(session.isListing());
    session.whenListed([&] { events.append(u"after cancelled"_s); });
    session.cancel();
    EXPECT_TRUE(cancelled.cancelled);
    EXPECT_FALSE(session.isListing());
    cancelled.release.release();
    ASSERT_TRUE(QTest::qWaitFor([&] { return bool(cancelled.ran); }, patienceMs));
    QTest::qWait(50);

    // Superseded: the older read ends after the newer one and is dropped.
    HeldRead older;
    HeldRead newer;
    session.start(path, older.read(&events, u"older"_s));
    session.whenListed([&] { events.append(u"after older"_s); });
    const quint64 olderGeneration = session.generation();
    session.start(path, newer.read(&events, u"newer"_s));
    EXPECT_EQ(session.generation(), olderGeneration + 1);
    EXPECT_TRUE(older.cancelled);
    session.whenListed([&] { events.append(u"after newer"_s); });
    newer.release.release();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !session.isListing(); }, patienceMs));
    older.release.release();
    ASSERT_TRUE(QTest::qWaitFor([&] { return bool(older.ran); }, patienceMs));
    QTest::qWait(50);

    EXPECT_EQ(events, (QStringList{u"newer shown"_s, u"after newer"_s}));
    EXPECT_EQ(cancelled.delivered + older.delivered, 0);
    EXPECT_FALSE(newer.cancelled);
}

TEST(ListingSessionTest, FollowUpsRunOnceAfterTheRowsAndAnErrorComesAfterThem)
{
    TempFolder folder;
    folder.write(u"b.mp3"_s, "b");
    folder.write(u"a.mp3"_s, "a");
    const QString path = folder.drivePath() + u'\\';
    QStringList events;
    ListingSession session;

    // Delivered at once by a caller that waited for the read, then again by the
    // worker's notice: the rows and each follow-up come once.
    QSemaphore ended;
    session.start(path, {[&] { ended.release(); }, {}, [&] { events.append(u"rows"_s); }, {}});
    session.whenListed([&] { events.append(u"first"_s); });
    session.whenListed([&] { events.append(u"second"_s); });
    ASSERT_TRUE(ended.tryAcquire(1, patienceMs));
    session.deliverNow();
    QTest::qWait(50);
    EXPECT_EQ(events, (QStringList{u"rows"_s, u"first"_s, u"second"_s}));
    // With nothing being read, a follow-up runs at once.
    session.whenListed([&] { events.append(u"idle"_s); });
    EXPECT_EQ(events.size(), 4);
    EXPECT_EQ(events.last(), u"idle"_s);

    // A read that gives a value delivers it on the session's thread.
    QStringList shown;
    session.start<QStringList>(path, [path](const std::atomic<bool> &cancelled) { return namesIn(path, cancelled); },
                               [&](QStringList names) { shown = names; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return !session.isListing(); }, patienceMs));
    EXPECT_EQ(shown, (QStringList{u"a.mp3"_s, u"b.mp3"_s}));

    // A read that throws: the follow-ups run, then the error reaches the caller.
    events.clear();
    std::atomic<bool> thrown{false};
    session.start<int>(path, [&](const std::atomic<bool> &) -> int {
        thrown = true;
        throw std::runtime_error("unreadable");
    }, [&](int) { events.append(u"value"_s); });
    session.whenListed([&] { events.append(u"follow-up"_s); });
    // Waited for without the event loop, as a caller that waits for the read does.
    QElapsedTimer waited;
    waited.start();
    while (!thrown && waited.elapsed() < patienceMs)
        QThread::msleep(5);
    QThread::msleep(50); // the worker leaves the read
    EXPECT_THROW(session.deliverNow(), std::runtime_error);
    EXPECT_EQ(events, QStringList{u"follow-up"_s});
    EXPECT_FALSE(session.isListing());
    QTest::qWait(50); // the worker's notice comes to nothing
    EXPECT_EQ(events, QStringList{u"follow-up"_s});
}

// The limit as a user meets it, and a shorter one: the read of a silent share ends
// with the give-up after the limit, the thread answering meanwhile.
TEST(ListingSessionShareTest, AFrozenShareIsGivenUpAfterTheLimit)
{
    SambaShare server;
    const QString mounted = server.mountGuestHolding(u"song.mp3"_s);
    if (mounted.isEmpty())
        GTEST_SKIP() << "no SMB share on loopback: " << server.failure().toStdString();
    ASSERT_TRUE(platform::mapDrive({u'S', mounted, server.guestAddress(), false}));
    const auto unmap = qScopeGuard([] { platform::unmapDrive(u'S'); });
    platform::refreshDrives();
    const QString share = u"S:\\"_s;
    ASSERT_TRUE(platform::isOnNetworkDrive(share));

    for (const int limitMs : {1000, ListingSession::networkLimitMs}) {
        SCOPED_TRACE(limitMs);
        ListingSession session(limitMs);
        // Answering: the share's names are shown, no give-up.
        int givenUp = 0;
        QStringList shown;
        const auto read = [share](const std::atomic<bool> &cancelled) { return namesIn(share, cancelled); };
        session.start<QStringList>(share, read, [&](QStringList names) { shown = names; }, [&] { ++givenUp; });
        ASSERT_TRUE(QTest::qWaitFor([&] { return !session.isListing(); }, patienceMs));
        EXPECT_TRUE(shown.contains(u"song.mp3"_s)) << shown.join(u' ').toStdString();

        server.freezeServer();
        auto thaw = qScopeGuard([&] { server.thawServer(); });
        shown.clear();
        bool followedUp = false;
        QElapsedTimer clock;
        clock.start();
        qint64 givenUpAfter = -1;
        session.start<QStringList>(share, read, [&](QStringList names) { shown = names; }, [&] {
            ++givenUp;
            givenUpAfter = clock.elapsed();
        });
        session.whenListed([&] { followedUp = true; });
        EventLoopPauses pauses;
        ASSERT_TRUE(QTest::qWaitFor([&] { return givenUp == 1; }, limitMs + patienceMs));
        std::cout << "[          ] given up after " << givenUpAfter << " ms (limit " << limitMs
                  << " ms); longest event-loop pause " << pauses.longestMs() << " ms\n";
        EXPECT_GE(givenUpAfter, limitMs);
        EXPECT_LT(givenUpAfter, limitMs + 2000);
        EXPECT_LT(pauses.longestMs(), 1000);
        EXPECT_FALSE(session.isListing());

        // The server back: the abandoned read's late end is dropped.
        thaw.dismiss();
        server.thawServer();
        QTest::qWait(1500);
        EXPECT_TRUE(shown.isEmpty());
        EXPECT_FALSE(followedUp);
        EXPECT_EQ(givenUp, 1);
    }
}
