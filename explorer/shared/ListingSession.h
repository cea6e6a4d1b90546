#pragma once
// Reads of one control's folder, off its thread, one at a time: a new read supersedes
// the one in progress (which is cancelled and whose late result is dropped), a network
// folder that stays silent past the time limit is given up, and the follow-ups queued
// while a read runs are run once its result is shown. What was read is delivered on the
// session's thread.

#include <QObject>
#include <QString>
#include <QThreadPool>
#include <atomic>
#include <exception>
#include <functional>
#include <memory>
#include <vector>

class ListingSession : public QObject {
    Q_OBJECT
public:
    // A network folder that has not been read by then counts as not answering.
    static constexpr int networkLimitMs = 5000;

    struct Read {
        // Reads the folder (worker thread).
        std::function<void()> run;
        // Asks `run` to stop soon (any thread); may be empty.
        std::function<void()> cancel;
        // Shows what was read (session's thread). An exception it throws reaches the
        // caller after the follow-ups have run.
        std::function<void()> deliver;
        // The network folder did not answer within the limit (session's thread); the
        // read is cancelled and its follow-ups dropped. May be empty.
        std::function<void()> giveUp;
    };

    explicit ListingSession(int limitMs = networkLimitMs, QObject *parent = nullptr);
    // Cancels the read in progress and waits for a local reader; a network reader is
    // left to end on its own.
    ~ListingSession() override;

    // Starts reading `folder` (a drive path) on the pool that reads it; the read in
    // progress, if any, is cancelled with its follow-ups.
    void start(const QString &folder, Read read);
    // The same for a read that gives a value: `read` (worker thread) sees the cancel in
    // its flag; `show` gets the value, or the exception `read` threw is raised instead.
    template <typename Result>
    void start(const QString &folder, std::function<Result(const std::atomic<bool> &cancelled)> read,
               std::function<void(Result)> show, std::function<void()> giveUp = {})
    {
        struct Outcome {
            std::atomic<bool> cancelled{false};
            Result result{};
            std::exception_ptr error;
        };
        auto outcome = std::make_shared<Outcome>();
        start(folder, Read{[outcome, read = std::move(read)] {
                               try {
                                   outcome->result = read(outcome->cancelled);
                               } catch (...) {
                                   outcome->error = std::current_exception();
                               }
                           },
                           [outcome] { outcome->cancelled = true; },
                           [outcome, show = std::move(show)] {
                               if (outcome->error)
                                   std::rethrow_exception(outcome->error);
                               show(std::move(outcome->result));
                           },
                           std::move(giveUp)});
    }
    // Delivers the read in progress now, for a caller that has seen its `run` end.
    void deliverNow();
    // Cancels the read in progress; nothing of it is delivered.
    void cancel();
    bool isListing() const { return bool(m_read.deliver); }
    // Runs `then` once the read in progress is shown (at once when none is); dropped
    // when that read is cancelled or given up.
    void whenListed(std::function<void()> then);
    // The message of a network folder given up, in a language of the tables.
    static QString noAnswerText(int language, const QString &folder);
    // Counts the reads started; a result of an older one is dropped.
    quint64 generation() const { return m_generation; }

private:
    void readEnded(quint64 generation);
    void giveUp(quint64 generation);
    void deliver();

    int m_limitMs;
    quint64 m_generation = 0;
    Read m_read;
    std::vector<std::function<void()>> m_followUps;
    QThreadPool m_localPool;
};
