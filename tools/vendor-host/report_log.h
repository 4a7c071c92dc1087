// The record of every version check and click report the host receives,
// kept in a SQLite database:
//
//   reports(id INTEGER PRIMARY KEY, time TEXT, kind TEXT, path TEXT, referer TEXT)
//
// time is UTC ("YYYY-MM-DD HH:MM:SS.SSS"), kind "version-check" or
// "click-report", path the request target with its query, referer the
// Referer header as sent (the usage record travels there).
#pragma once

#include <mutex>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

namespace vendorhost {

class ReportLog {
public:
    // Opens or creates the database and its table; throws
    // std::runtime_error with SQLite's message when that fails.
    explicit ReportLog(const std::string& path);
    ~ReportLog();
    ReportLog(const ReportLog&) = delete;
    ReportLog& operator=(const ReportLog&) = delete;

    // Adds one row; false when SQLite refuses it. Safe from any thread.
    bool Record(const std::string& kind, const std::string& path, const std::string& referer);

private:
    std::mutex mutex_;
    sqlite3* db_ = nullptr;
    sqlite3_stmt* insert_ = nullptr;
};

}  // namespace vendorhost
