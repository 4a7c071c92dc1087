// The data file update: fetching "datas.bin" from the vendor host,
// replacing the file, reloading it, and deciding at start-up whether a
// fresh copy is due.
//
// The new file is written under a temporary name next to the old one and
// renamed over it, under one lock for the whole process, so overlapping
// downloads never mix their bytes and a reader sees the old file or the
// new one. Anything short of a complete answer of more than 3000 bytes
// that is itself a sound data file (header, size limits, a payload that
// inflates to its announced size) leaves the old file as it was, and so
// does a file that cannot be written: neither counts as a download.
#pragma once

#include <ctime>
#include <filesystem>
#include <string>

#include "online/http_exchange.h"

namespace skyvane::online {

inline constexpr char kDataFileServerFolder[] = "/system/datafile/";
inline constexpr char kDataFileServerName[] = "datas142U.bin";
// A body of this size or less is an error page, not a data file.
inline constexpr int kMinDataFileBytes = 3000;
// The receive buffer: an answer announcing more is not read at all.
inline constexpr int kDownloadBufferBytes = 4'000'000;

// The settings the update keeps between runs.
inline constexpr char kInstalledSection[] = "Installed";
inline constexpr char kNextDownloadKey[] = "NBFD";   // "20yy-mm-dd hh:mm:ss", local time
inline constexpr char kDownloadCountKey[] = "NOFD";  // "NOBD" + 1 after each success
inline constexpr char kBaseCountKey[] = "NOBD";

// The file downloads replace and reload: "datas.bin" in the working folder
// unless set otherwise (tests, the update-data command). Safe from any
// thread; a download reads it once when it writes.
void SetDataFilePath(const std::filesystem::path& path);
std::filesystem::path DataFilePath();

// What a worker needs, owned by the worker.
struct DataFileDownloadParameters {
    HostAddress host;
    std::string path;
};

struct DataFileDownloadOutcome {
    HttpExchangeResult exchange;
    // A complete body of more than kMinDataFileBytes that passes the data
    // file checks.
    bool accepted = false;
    bool written = false;   // the data file now holds that body
    bool loaded = false;    // and it loaded and was published
    // Why the file was not replaced, in words; empty when it was.
    std::string failure;
};

// Starts a download on a worker thread of its own and returns after a
// short pause. Nothing reports back: the effect is the new file, the
// reloaded tables and the settings.
void StartDataFileDownload();

// The worker: one download, then the thread ends. Always 0.
int DataFileDownloadThread(DataFileDownloadParameters parameters);

// One download, on the calling thread: request, replace, "NBFD" and
// "NOFD", reload, and finally the after-download click report. The
// timeouts are the data file's unless a test needs shorter ones.
DataFileDownloadOutcome DownloadDataFile(const HostAddress& host, const std::string& path,
                                         const HttpTimeouts& timeouts = kDataFileTimeouts);

// `when` in the "NBFD" form, local time.
std::string FormatNextDownloadTime(std::time_t when);

// The start-up rule: a download is due when no location has been saved
// yet ("Location"/"datasaved" is 0), when "NBFD" is not a 19-character
// time, or when `now` is strictly later than it.
bool DataFileDownloadDue(std::time_t now);

// What the sky window's start-up work runs after loading the data file:
// starts a download when one is due now.
void DataFileStartupPolicy();

}  // namespace skyvane::online
