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

// Readers (our tools, the tests) may hold the database briefly.
constexpr int kBusyTimeoutMs = 5000;

}  // namespace

ReportLog::ReportLog(const std::string& path)
{
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX;
    if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
        const std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
        sqlite3_close(db_);
        throw std::runtime_error("cannot open " + path + ": " + message);
    }
    sqlite3_busy_timeout(db_, kBusyTimeoutMs);
    if (sqlite3_exec(db_, kCreateTable, nullptr, nullptr, nullptr) != SQLITE_OK ||
        sqlite3_prepare_v2(db_, kInsert, -1, &insert_, nullptr) != SQLITE_OK) {
        const std::string message = sqlite3_errmsg(db_);
        sqlite3_close(db_);
        throw std::runtime_error(path + ": " + message);
    }
}

ReportLog::~ReportLog()
{
    sqlite3_finalize(insert_);
    sqlite3_close(db_);
}

bool ReportLog::Record(const std::string& kind, const std::string& path, const std::string& referer)
{
    std::lock_guard lock(mutex_);
    sqlite3_reset(insert_);
    sqlite3_bind_text(insert_, 1, kind.c_str(), static_cast<int>(kind.size()), SQLITE_TRANSIENT);
    sqlite3_bind_text(insert_, 2, path.c_str(), static_cast<int>(path.size()), SQLITE_TRANSIENT);
    sqlite3_bind_text(insert_, 3, referer.c_str(), static_cast<int>(referer.size()), SQLITE_TRANSIENT);
    const bool stored = sqlite3_step(insert_) == SQLITE_DONE;
    sqlite3_clear_bindings(insert_);
    return stored;
}

}  // namespace vendorhost
