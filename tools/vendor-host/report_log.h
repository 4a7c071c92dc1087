// The record of every version check and click report the host receives,
// kept in a SQLite database:
//
//   reports(id INTEGER PRIMARY KEY, time TEXT, kind TEXT, path TEXT, referer TEXT)
//
// time is UTC ("YYYY-MM-DD HH:MM:SS.SSS"), kind "version-check" or
// "click-report", path the request target with its query, referer the
// Referer header as sent (the usage record travels there).
//
// The database runs in write-ahead-log mode: a report counts as recorded
// once its transaction is committed to the log. One writer thread commits
// whatever has arrived meanwhile in one transaction, so many clients share
// one commit instead of queueing for one each.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace vendorhost {

class ReportLog {
public:
    // Opens or creates the database and its table; throws
    // std::runtime_error with SQLite's message when that fails.
    // `busyTimeoutMs` is how long a commit waits for another writer (our
    // tools, a backup) before the reports in it count as not recorded.
    explicit ReportLog(const std::string& path, int busyTimeoutMs = 2000);
    ~ReportLog();
    ReportLog(const ReportLog&) = delete;
    ReportLog& operator=(const ReportLog&) = delete;

    // Adds one row and returns once it is committed: true, or false when
    // SQLite refused it (database locked, disk or database full) or too
    // many reports are already waiting. Safe from any thread.
    bool Record(const std::string& kind, const std::string& path, const std::string& referer);

    // The journal mode the database runs in, as SQLite names it ("wal").
    std::string JournalMode();

private:
    struct Pending;
    void WriteLoop();
    bool Commit(const std::vector<std::shared_ptr<Pending>>& batch);

    sqlite3* db_ = nullptr;
    sqlite3_stmt* insert_ = nullptr;
    sqlite3_stmt* begin_ = nullptr;
    sqlite3_stmt* commit_ = nullptr;
    sqlite3_stmt* rollback_ = nullptr;

    std::mutex mutex_;
    std::condition_variable arrived_;
    std::condition_variable committed_;
    std::vector<std::shared_ptr<Pending>> queue_;
    bool stopping_ = false;
    std::thread writer_;
};

}  // namespace vendorhost
