#include "explorer/shared/ListingSession.h"

#include "explorer/shared/LanguageTables.h"
#include "platform/NetworkThreads.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>
#include <exception>
#include <utility>

ListingSession::ListingSession(int limitMs, QObject *parent)
    : QObject(parent)
    , m_limitMs(limitMs)
{
}

ListingSession::~ListingSession()
{
    cancel();
    m_localPool.waitForDone();
}

void ListingSession::start(const QString &folder, Read read)
{
    cancel();
    const quint64 generation = ++m_generation;
    m_read = std::move(read);
    // The reader may outlive the session (a silent share): it reaches the session
    // through the application object, and only while the session exists.
    const QPointer<ListingSession> session(this);
    platform::folderReadingPool(folder, &m_localPool)->start([run = m_read.run, session, generation] {
        run();
        QMetaObject::invokeMethod(qApp, [session, generation] {
            if (session)
                session->readEnded(generation);
        }, Qt::QueuedConnection);
    });
    if (platform::isOnNetworkDrive(folder))
        QTimer::singleShot(m_limitMs, Qt::PreciseTimer, this, [this, generation] { giveUp(generation); });
}

void ListingSession::deliverNow()
{
    if (isListing())
        deliver();
}

void ListingSession::cancel()
{
    if (m_read.cancel)
        m_read.cancel();
    m_read = Read();
    m_followUps.clear();
}

void ListingSession::whenListed(std::function<void()> then)
{
    if (isListing())
        m_followUps.push_back(std::move(then));
    else
        then();
}

QString ListingSession::noAnswerText(int language, const QString &folder)
{
    return fileListCommandText(language, QStringLiteral("networkNoAnswer")).arg(folder);
}

void ListingSession::readEnded(quint64 generation)
{
    if (generation == m_generation && isListing())
        deliver();
}

void ListingSession::giveUp(quint64 generation)
{
    if (generation != m_generation || !isListing())
        return;
    const std::function<void()> giveUp = m_read.giveUp;
    cancel();
    if (giveUp)
        giveUp();
}

void ListingSession::deliver()
{
    const Read read = std::exchange(m_read, Read());
    const std::vector<std::function<void()>> followUps = std::exchange(m_followUps, {});
    std::exception_ptr error;
    try {
        read.deliver();
    } catch (...) {
        error = std::current_exception();
    }
    for (const std::function<void()> &then : followUps)
        then();
    if (error)
        std::rethrow_exception(error);
}
