#include "report_log.h"

#include <sqlite3.h>

#include <stdexcept>

namespace vendorhost {
namespace {

constexpr const char* kCreateTable =
    "CREATE TABLE IF NOT EXISTS reports ("
    " id INTEGER PRIMARY KEY,"
    " time TEXT NOT NULL,"
    " kind TEXT NOT NULL,"
    " path TEXT NOT NULL,"
    " referer TEXT NOT NULL)";

constexpr const char* kInsert =
    "INSERT INTO reports (time, kind, path, referer)"
    " VALUES (strftime('%Y-%m-%d %H:%M:%f', 'now'), ?1, ?2, ?3)";

// Reports waiting for the writer beyond this are refused at once: a stuck
// disk must not let the queue, and the threads waiting on it, grow without
// bound.
constexpr std::size_t kMostWaiting = 4096;

}  // namespace

struct ReportLog::Pending {
    std::string kind, path, referer;
    bool done = false;
    bool recorded = false;
};

ReportLog::ReportLog(const std::string& path, int busyTimeoutMs)
{
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX;
    if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
        const std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
        sqlite3_close(db_);
        throw std::runtime_error("cannot open " + path + ": " + message);
    }
    sqlite3_busy_timeout(db_, busyTimeoutMs);
    // Write-ahead log: readers never block the writer, and a commit is one
    // append to the log. With NORMAL synchronisation (what SQLite advises
    // for this mode) the log is flushed to disk at each checkpoint rather
    // than at each commit: a committed report survives a crash of the
    // host, and only a power cut can take the last moments' reports.
    // Flushing every commit (FULL) halves what the host takes under load.
    const bool ready =
        sqlite3_exec(db_, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr) == SQLITE_OK &&
        sqlite3_exec(db_, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr) == SQLITE_OK &&
        sqlite3_exec(db_, kCreateTable, nullptr, nullptr, nullptr) == SQLITE_OK &&
        sqlite3_prepare_v2(db_, kInsert, -1, &insert_, nullptr) == SQLITE_OK &&
        sqlite3_prepare_v2(db_, "BEGIN IMMEDIATE", -1, &begin_, nullptr) == SQLITE_OK &&
        sqlite3_prepare_v2(db_, "COMMIT", -1, &commit_, nullptr) == SQLITE_OK &&
        sqlite3_prepare_v2(db_, "ROLLBACK", -1, &rollback_, nullptr) == SQLITE_OK;
    if (!ready || JournalMode() != "wal") {
        const std::string message = ready ? "cannot switch to write-ahead logging" : sqlite3_errmsg(db_);
        for (sqlite3_stmt* s : {insert_, begin_, commit_, rollback_}) sqlite3_finalize(s);
        sqlite3_close(db_);
        throw std::runtime_error(path + ": " + message);
    }
    writer_ = std::thread([this] { WriteLoop(); });
}

ReportLog::~ReportLog()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    arrived_.notify_all();
    writer_.join();
    for (sqlite3_stmt* s : {insert_, begin_, commit_, rollback_}) sqlite3_finalize(s);
    sqlite3_close(db_);
}

std::string ReportLog::JournalMode()
{
    std::string mode;
    sqlite3_stmt* query = nullptr;
    if (sqlite3_prepare_v2(db_, "PRAGMA journal_mode", -1, &query, nullptr) == SQLITE_OK &&
        sqlite3_step(query) == SQLITE_ROW) {
        if (const auto* text = sqlite3_column_text(query, 0))
            mode = reinterpret_cast<const char*>(text);
    }
    sqlite3_finalize(query);
    return mode;
}

bool ReportLog::Record(const std::string& kind, const std::string& path, const std::string& referer)
{
    auto pending = std::make_shared<Pending>();
    pending->kind = kind;
    pending->path = path;
    pending->referer = referer;
    std::unique_lock lock(mutex_);
    if (stopping_ || queue_.size() >= kMostWaiting) return false;
    queue_.push_back(pending);
    arrived_.notify_one();
    committed_.wait(lock, [&] { return pending->done; });
    return pending->recorded;
}

void ReportLog::WriteLoop()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        arrived_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
        if (queue_.empty()) return;  // stopping, and nothing left to write
        std::vector<std::shared_ptr<Pending>> batch;
        batch.swap(queue_);
        lock.unlock();
        const bool recorded = Commit(batch);
        lock.lock();
        for (const auto& pending : batch) {
            pending->recorded = recorded;
            pending->done = true;
        }
        committed_.notify_all();
    }
}

bool ReportLog::Commit(const std::vector<std::shared_ptr<Pending>>& batch)
{
    const auto run = [](sqlite3_stmt* statement) {
        const int result = sqlite3_step(statement);
        sqlite3_reset(statement);
        return result == SQLITE_DONE;
    };
    if (!run(begin_)) return false;
    bool stored = true;
    for (const auto& pending : batch) {
        sqlite3_bind_text(insert_, 1, pending->kind.c_str(), static_cast<int>(pending->kind.size()),
                          SQLITE_STATIC);
        sqlite3_bind_text(insert_, 2, pending->path.c_str(), static_cast<int>(pending->path.size()),
                          SQLITE_STATIC);
        sqlite3_bind_text(insert_, 3, pending->referer.c_str(),
                          static_cast<int>(pending->referer.size()), SQLITE_STATIC);
        stored = run(insert_);
        sqlite3_clear_bindings(insert_);
        if (!stored) break;
    }
    // A batch is recorded whole or not at all: every report in it gets the
    // same answer.
    if (stored && run(commit_)) return true;
    if (!sqlite3_get_autocommit(db_)) run(rollback_);
    return false;
}

}  // namespace vendorhost
