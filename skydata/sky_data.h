// Everything the charts and the intro screen draw from the data file, and
// how a load hands it to them.
//
// A load (at start-up on the user-interface thread, or after a download on
// the download worker) builds a complete new SkyData and publishes it in
// one step. Readers take the current snapshot and keep it for as long as
// they draw; they see the previous load's data or the new one, never a mix,
// and a snapshot never changes once published.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "skydata/catalogue.h"
#include "skydata/data_file.h"
#include "skydata/deep_sky.h"
#include "skydata/name_index.h"
#include "skydata/pictures.h"

namespace skyvane::skydata {

struct SkyData {
    // Shared between snapshots: once read, the catalogue stays for the run.
    std::shared_ptr<const SkyCatalogue> catalogue;
    // The names of `catalogue`'s and `deepSky`'s objects, built when first
    // asked for; a store fills it in when a snapshot arrives without it, so
    // a published snapshot always has one.
    NamesOnDemand names;
    // The deep-sky catalogue, or null without a usable deep-sky file.
    std::shared_ptr<const DeepSkyCatalogue> deepSky;
    PictureTable pictures;
    std::string introPictureName;  // a picture slot's name, or empty
};

// Holds the current snapshot. The program uses one (ProcessSkyData());
// tests make their own.
class SkyDataStore {
public:
    SkyDataStore();  // starts with empty tables and no pictures

    // The current snapshot; never null. Safe from any thread.
    std::shared_ptr<const SkyData> Current() const;

    // Replaces the current snapshot as a whole. A snapshot without a
    // catalogue is refused: readers rely on always finding one.
    void Publish(std::shared_ptr<const SkyData> data);

    // Loads a data file: the pictures and the intro picture name come from
    // it, the catalogue only if none has been read yet in this run. False,
    // with nothing changed, when the file counts as missing.
    bool Load(std::span<const unsigned char> file);

    // Publishes the current snapshot without its pictures.
    void ReleasePictures();

    // Publishes the current snapshot with this deep-sky catalogue (null:
    // none), and a name index that knows its objects.
    void SetDeepSky(std::shared_ptr<const DeepSkyCatalogue> deepSky);

private:
    void PublishLocked(std::shared_ptr<const SkyData> data);

    // Held only to copy or swap the pointer, never while building or
    // destroying a snapshot. (GCC 12's std::atomic<std::shared_ptr> was
    // the first choice, but its load() unlocks with relaxed ordering, which
    // is a data race against a concurrent store; ThreadSanitizer reports it.)
    mutable std::mutex currentMutex_;
    std::shared_ptr<const SkyData> current_;
    // Loads read the previous snapshot before they publish the next one;
    // one at a time, so that the catalogue is really read only once.
    std::mutex writeMutex_;
};

SkyDataStore& ProcessSkyData();

// The process-wide snapshot and its loads.
std::shared_ptr<const SkyData> CurrentSkyData();
void PublishSkyData(std::shared_ptr<const SkyData> data);
bool LoadDataFile(std::span<const unsigned char> file);
void ReleasePictures();

// Starts the data file update (the download from the vendor host); the
// online part registers it. Until then nothing happens.
void SetDataFileUpdateStarter(std::function<void()> starter);

// Reads and loads the data file at start-up. When there is none, or it
// counts as missing, starts the data file update so that the charts get
// their tables once it arrives. `fileRead` tells whether the file was
// loaded.
void LoadDataFileAtStartup(bool& fileRead, const std::filesystem::path& path = kDataFileName,
                           SkyDataStore& store = ProcessSkyData());

// Reads the first deep-sky file of `candidates` that exists (the data
// folder's, then the installed copy) into `store`. When none can be used,
// the store keeps no deep-sky catalogue and `message` is one line for the
// user; else it is empty. True when a catalogue was read.
bool LoadDeepSkyAtStartup(const std::vector<std::filesystem::path>& candidates, std::string& message,
                          SkyDataStore& store = ProcessSkyData());

}  // namespace skyvane::skydata
