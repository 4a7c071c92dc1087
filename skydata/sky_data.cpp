#include "skydata/sky_data.h"

#include <utility>
#include <vector>

#include "skydata/layout_script.h"

namespace skyvane::skydata {
namespace {

std::shared_ptr<const SkyData> EmptySkyData()
{
    auto data = std::make_shared<SkyData>();
    data->catalogue = std::make_shared<const SkyCatalogue>();
    data->names = NamesOnDemand::BodiesOnly();
    return data;
}

std::mutex starterMutex;
std::function<void()>& RegisteredStarter()
{
    // Never destroyed, like the process store below.
    static auto* starter = new std::function<void()>;
    return *starter;
}

void StartDataFileUpdate()
{
    std::function<void()> starter;
    {
        std::lock_guard lock(starterMutex);
        starter = RegisteredStarter();
    }
    if (starter) starter();
}

}  // namespace

SkyDataStore::SkyDataStore() : current_(EmptySkyData()) {}

std::shared_ptr<const SkyData> SkyDataStore::Current() const
{
    std::lock_guard lock(currentMutex_);
    return current_;
}

void SkyDataStore::Publish(std::shared_ptr<const SkyData> data)
{
    std::lock_guard lock(writeMutex_);
    PublishLocked(std::move(data));
}

void SkyDataStore::PublishLocked(std::shared_ptr<const SkyData> data)
{
    // A null snapshot would leave readers nothing to draw from.
    if (!data || !data->catalogue) return;
    if (!data->names) {
        // The index follows its catalogue: kept while the catalogue is the
        // same, built anew for another one.
        auto named = std::make_shared<SkyData>(*data);
        const std::shared_ptr<const SkyData> previous = Current();
        named->names = previous->catalogue == data->catalogue &&
                               previous->deepSky == data->deepSky && previous->names
                           ? previous->names
                           : NamesOnDemand(data->catalogue, data->deepSky);
        data = std::move(named);
    }
    {
        std::lock_guard lock(currentMutex_);
        current_.swap(data);
    }
    // `data` now holds the previous snapshot; if no reader keeps it, it is
    // freed here, outside the lock.
}

bool SkyDataStore::Load(std::span<const unsigned char> file)
{
    // Unpacking and decoding happen before the lock: they need nothing
    // from the previous snapshot.
    const std::optional<DecodedDataFile> decoded = DecodeDataFile(file);
    if (!decoded) return false;
    PictureTable pictures = BuildPictureTable(*decoded);

    std::lock_guard lock(writeMutex_);
    const std::shared_ptr<const SkyData> previous = Current();
    auto next = std::make_shared<SkyData>();
    next->pictures = std::move(pictures);
    // A file without an intro picture record keeps the previous choice.
    next->introPictureName = previous->introPictureName;
    next->deepSky = previous->deepSky;
    ParseLayoutScript(decoded->layoutText, kLayoutModeFileLoad, next->introPictureName);
    // The catalogue is read once per run; later files share the first
    // one's tables.
    if (previous->catalogue->loaded) {
        next->catalogue = previous->catalogue;
        next->names = previous->names;
    } else {
        auto catalogue = std::make_shared<SkyCatalogue>();
        ParseCatalogue(decoded->catalogueText, *catalogue);
        next->catalogue = std::move(catalogue);
        next->names = NamesOnDemand(next->catalogue, next->deepSky);
    }
    PublishLocked(std::move(next));
    return true;
}

void SkyDataStore::ReleasePictures()
{
    std::lock_guard lock(writeMutex_);
    auto next = std::make_shared<SkyData>(*Current());
    skydata::ReleasePictures(next->pictures);
    PublishLocked(std::move(next));
}

void SkyDataStore::SetDeepSky(std::shared_ptr<const DeepSkyCatalogue> deepSky)
{
    std::lock_guard lock(writeMutex_);
    auto next = std::make_shared<SkyData>(*Current());
    next->deepSky = std::move(deepSky);
    next->names = NamesOnDemand(next->catalogue, next->deepSky);
    PublishLocked(std::move(next));
}

bool LoadDeepSkyAtStartup(const std::vector<std::filesystem::path>& candidates, std::string& message,
                          SkyDataStore& store)
{
    message.clear();
    std::string why = "no deep-sky file";
    for (const std::filesystem::path& path : candidates) {
        std::error_code error;
        if (!std::filesystem::exists(path, error)) continue;
        if (auto deepSky = LoadDeepSkyFile(path, why)) {
            store.SetDeepSky(std::move(deepSky));
            return true;
        }
        why = path.string() + ": " + why;
        // A damaged copy in the data folder does not hide the installed one.
    }
    message = "Deep sky not shown: " + why;
    return false;
}

SkyDataStore& ProcessSkyData()
{
    // Never destroyed: download workers are detached and may still be
    // loading while the program exits.
    static auto* store = new SkyDataStore;
    return *store;
}

std::shared_ptr<const SkyData> CurrentSkyData() { return ProcessSkyData().Current(); }

void PublishSkyData(std::shared_ptr<const SkyData> data) { ProcessSkyData().Publish(std::move(data)); }

bool LoadDataFile(std::span<const unsigned char> file) { return ProcessSkyData().Load(file); }

void ReleasePictures() { ProcessSkyData().ReleasePictures(); }

void SetDataFileUpdateStarter(std::function<void()> starter)
{
    std::lock_guard lock(starterMutex);
    RegisteredStarter() = std::move(starter);
}

void LoadDataFileAtStartup(bool& fileRead, const std::filesystem::path& path, SkyDataStore& store)
{
    std::vector<unsigned char> bytes;
    fileRead = ReadDataFile(path, bytes) && store.Load(bytes);
    if (!fileRead) StartDataFileUpdate();
}

}  // namespace skyvane::skydata
