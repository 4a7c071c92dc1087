#include "skydata/deep_sky.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>

#include "engine/apparent_place.h"
#include "skydata/deep_sky_format.h"

namespace skyvane::skydata {
namespace fmt = deepsky_format;
namespace {

std::uint16_t U16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::uint32_t U32(const unsigned char* p)
{
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
std::int16_t I16(const unsigned char* p) { return static_cast<std::int16_t>(U16(p)); }
float F32(const unsigned char* p)
{
    const std::uint32_t bits = U32(p);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

struct Section {
    const unsigned char* data = nullptr;
    std::uint32_t size = 0;
    std::uint32_t count = 0;
    bool present = false;
};

bool ValidPosition(float ra, float dec)
{
    return std::isfinite(ra) && std::isfinite(dec) && ra >= 0 && ra < 360.0f && dec >= -90.0f &&
           dec <= 90.0f;
}

// A length that is unknown (-1) or a real size, as a float or NaN.
bool ReadSize(float stored, float& out)
{
    if (stored == -1.0f) {
        out = std::numeric_limits<float>::quiet_NaN();
        return true;
    }
    out = stored;
    constexpr float kLargest = 60 * 360.0f;  // arc minutes
    return std::isfinite(stored) && stored >= 0 && stored <= kLargest;
}

constexpr std::array<std::string_view, kDeepSkyTypeCount> kTypeNames{
    "Star", "Double star", "Association of stars", "Open cluster", "Globular cluster",
    "Cluster with nebula", "Galaxy", "Galaxy pair", "Galaxy triplet", "Group of galaxies",
    "Planetary nebula", "HII region", "Dark nebula", "Emission nebula", "Nebula",
    "Reflection nebula", "Supernova remnant", "Nova", "Other object"};

}  // namespace

std::string_view DeepSkyTypeName(DeepSkyType type)
{
    const auto i = static_cast<std::size_t>(type);
    return i < kTypeNames.size() ? kTypeNames[i] : std::string_view{};
}

std::optional<CatalogueDesignation> ParseCatalogueDesignation(std::string_view folded)
{
    CatalogueDesignation d{};
    std::size_t i = 0;
    if (folded.starts_with("ngc")) d.catalogue = CatalogueDesignation::Catalogue::kNgc, i = 3;
    else if (folded.starts_with("hip")) d.catalogue = CatalogueDesignation::Catalogue::kHip, i = 3;
    else if (folded.starts_with("ic")) d.catalogue = CatalogueDesignation::Catalogue::kIc, i = 2;
    else return std::nullopt;
    const std::size_t digitsStart = i;
    std::uint64_t n = 0;
    while (i < folded.size() && folded[i] >= '0' && folded[i] <= '9') {
        n = n * 10 + static_cast<unsigned>(folded[i] - '0');
        if (n > 0xFFFFFFFFu) return std::nullopt;
        ++i;
    }
    if (i == digitsStart || n == 0) return std::nullopt;
    d.number = static_cast<std::uint32_t>(n);
    d.suffix.assign(folded.substr(i));
    // A suffix begins with a letter ("a", "ned01"); only HIP numbers have none.
    if (!d.suffix.empty() && (d.catalogue == CatalogueDesignation::Catalogue::kHip ||
                              d.suffix[0] < 'a' || d.suffix[0] > 'z'))
        return std::nullopt;
    return d;
}

namespace {

// "NGC0224" -> catalogue 0, 224, suffix ""; "IC0080 NED01" -> 1, 80, "ned01".
bool SplitDesignation(std::string_view text, std::uint8_t& catalogue, std::uint32_t& number,
                      std::string& suffix)
{
    std::string folded;
    for (const char c : text) {
        if (c >= 'A' && c <= 'Z') folded += static_cast<char>(c - 'A' + 'a');
        else if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) folded += c;
    }
    const auto d = ParseCatalogueDesignation(folded);
    if (!d || d->catalogue == CatalogueDesignation::Catalogue::kHip) return false;
    catalogue = d->catalogue == CatalogueDesignation::Catalogue::kNgc ? 0 : 1;
    number = d->number;
    suffix = d->suffix;
    return true;
}

}  // namespace

int DeepSkyCatalogue::StarByHip(std::uint32_t hip) const
{
    const auto it = std::lower_bound(starsByHip_.begin(), starsByHip_.end(), hip,
                                     [&](std::uint32_t row, std::uint32_t h) { return stars[row].hip < h; });
    return it != starsByHip_.end() && stars[*it].hip == hip ? static_cast<int>(*it) : -1;
}

std::uint32_t DeepSkyCatalogue::HrOfHip(std::uint32_t hip) const
{
    const auto it = std::lower_bound(hipToHr.begin(), hipToHr.end(), hip,
                                     [](const auto& p, std::uint32_t h) { return p.first < h; });
    return it != hipToHr.end() && it->first == hip ? it->second : 0;
}

DeepSkyCatalogue::Found DeepSkyCatalogue::FindDesignation(const CatalogueDesignation& d) const
{
    if (d.catalogue == CatalogueDesignation::Catalogue::kHip) return {};
    const std::uint8_t catalogue = d.catalogue == CatalogueDesignation::Catalogue::kNgc ? 0 : 1;
    const auto find = [&](std::string_view suffix) -> const Key* {
        const auto it = std::lower_bound(
            designations_.begin(), designations_.end(), 0, [&](const Key& k, int) {
                if (k.catalogue != catalogue) return k.catalogue < catalogue;
                if (k.number != d.number) return k.number < d.number;
                return std::string_view(k.suffix) < suffix;
            });
        if (it != designations_.end() && it->catalogue == catalogue && it->number == d.number &&
            it->suffix == suffix)
            return &*it;
        return nullptr;
    };
    const Key* k = find(d.suffix);
    if (!k && !d.suffix.empty()) k = find("");
    if (!k) return {};
    return {k->object, k->messier};
}

std::string DeepSkyCatalogue::DisplayDesignation(std::string_view designation)
{
    // Letters, then the number without its leading zeros, then the rest.
    std::size_t i = 0;
    while (i < designation.size() && !(designation[i] >= '0' && designation[i] <= '9')) ++i;
    std::string out(designation.substr(0, i));
    if (i == 0 || i == designation.size()) return std::string(designation);
    std::size_t j = i;
    while (j + 1 < designation.size() && designation[j] == '0' && designation[j + 1] >= '0' &&
           designation[j + 1] <= '9')
        ++j;
    out += ' ';
    out += designation.substr(j);
    return out;
}

std::string_view DeepSkyCatalogue::ConstellationOf(std::uint8_t row) const
{
    return row < constellations.size() ? std::string_view(constellations[row]) : std::string_view{};
}

std::size_t DeepSkyCatalogue::MemoryBytes() const
{
    return sizeof *this + constellations.capacity() * sizeof(std::string) +
           stars.capacity() * sizeof(DeepStar) + objects.capacity() * sizeof(DeepObject) +
           messierNames.capacity() * sizeof(MessierCrossName) +
           aliases.capacity() * sizeof(DeepSkyAlias) + hipToHr.capacity() * sizeof(hipToHr[0]) +
           milkyWay.capacity() * sizeof(MilkyWayRing) + milkyWayPoints.capacity() * sizeof(float) +
           (milkyWayX.capacity() + milkyWayY.capacity() + milkyWayZ.capacity()) * sizeof(double) +
           milkyWayCaps.capacity() * sizeof(MilkyWayCap) +
           starCells.MemoryBytes() + objectCells.MemoryBytes() + strings.capacity() +
           designations_.capacity() * sizeof(Key) + starsByHip_.capacity() * sizeof(std::uint32_t) +
           sizedUnknown_.capacity() * sizeof(SizedUnknown);
}

void DeepSkyCatalogue::SortDesignations()
{
    // Stable: real objects before aliases of the same designation.
    std::stable_sort(designations_.begin(), designations_.end(), [](const Key& a, const Key& b) {
        if (a.catalogue != b.catalogue) return a.catalogue < b.catalogue;
        if (a.number != b.number) return a.number < b.number;
        return a.suffix < b.suffix;
    });
}

void DeepSkyCatalogue::BuildLookups()
{
    starsByHip_.resize(stars.size());
    for (std::size_t i = 0; i < stars.size(); ++i) starsByHip_[i] = static_cast<std::uint32_t>(i);
    std::sort(starsByHip_.begin(), starsByHip_.end(),
              [&](std::uint32_t a, std::uint32_t b) { return stars[a].hip < stars[b].hip; });

    const auto add = [&](std::string_view designation, int object, int messier) {
        Key k{};
        if (SplitDesignation(designation, k.catalogue, k.number, k.suffix)) {
            k.object = object;
            k.messier = messier;
            designations_.push_back(std::move(k));
        }
    };
    for (std::size_t i = 0; i < objects.size(); ++i) add(objects[i].designation, static_cast<int>(i), 0);
    for (const MessierCrossName& m : messierNames) add(m.designation, -1, m.messier);
    SortDesignations();

    std::vector<float> ra(stars.size()), dec(stars.size()), mag(stars.size());
    for (std::size_t i = 0; i < stars.size(); ++i)
        ra[i] = stars[i].raDeg, dec[i] = stars[i].decDeg, mag[i] = stars[i].magnitude;
    starCells = SkyCells(ra, dec, mag);
    ra.resize(objects.size()), dec.resize(objects.size()), mag.resize(objects.size());
    for (std::size_t i = 0; i < objects.size(); ++i) {
        ra[i] = objects[i].raDeg, dec[i] = objects[i].decDeg;
        mag[i] = std::isnan(objects[i].magnitude) ? kUnknownObjectMagnitude : objects[i].magnitude;
    }
    objectCells = SkyCells(ra, dec, mag);

    const std::size_t points = milkyWayPoints.size() / 2;
    milkyWayX.resize(points), milkyWayY.resize(points), milkyWayZ.resize(points);
    for (std::size_t i = 0; i < points; ++i) {
        const engine::UnitVector v = engine::UnitVectorOf(milkyWayPoints[2 * i] / 15.0, milkyWayPoints[2 * i + 1]);
        milkyWayX[i] = v.x, milkyWayY[i] = v.y, milkyWayZ[i] = v.z;
    }
    milkyWayCaps.assign(milkyWay.size(), MilkyWayCap{});
    for (std::size_t r = 0; r < milkyWay.size(); ++r) {
        const MilkyWayRing& ring = milkyWay[r];
        if (ring.count == 0 || ring.first > points || ring.count > points - ring.first) continue;
        double sx = 0, sy = 0, sz = 0;
        for (std::uint32_t k = ring.first; k < ring.first + ring.count; ++k)
            sx += milkyWayX[k], sy += milkyWayY[k], sz += milkyWayZ[k];
        const double norm = std::sqrt(sx * sx + sy * sy + sz * sz);
        // Points that cancel out have no centre: the whole sky bounds them.
        if (!(norm > 1e-6)) continue;
        MilkyWayCap cap{sx / norm, sy / norm, sz / norm, 0};
        double nearest = 1;  // the smallest cosine
        for (std::uint32_t k = ring.first; k < ring.first + ring.count; ++k)
            nearest = std::min(nearest, cap.x * milkyWayX[k] + cap.y * milkyWayY[k] + cap.z * milkyWayZ[k]);
        // A little more than the farthest point: rounding stays inside.
        constexpr double kSlack = 1e-9;
        cap.radius = std::acos(std::clamp(nearest, -1.0, 1.0)) + kSlack;
        milkyWayCaps[r] = cap;
    }

    sizedUnknown_.clear();
    constexpr double kRad = 3.14159265358979323846 / 180.0;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        const DeepObject& o = objects[i];
        if (!std::isnan(o.magnitude) || !(o.majorArcmin > 0)) continue;
        const double r = o.raDeg * kRad, d = o.decDeg * kRad;
        sizedUnknown_.push_back({o.majorArcmin, static_cast<float>(std::cos(d) * std::cos(r)),
                                 static_cast<float>(std::cos(d) * std::sin(r)),
                                 static_cast<float>(std::sin(d)), static_cast<std::uint32_t>(i)});
    }
    std::stable_sort(sizedUnknown_.begin(), sizedUnknown_.end(),
                     [](const SizedUnknown& a, const SizedUnknown& b) { return a.majorArcmin > b.majorArcmin; });
}

std::shared_ptr<const DeepSkyCatalogue> ReadDeepSky(std::span<const unsigned char> file,
                                                    std::string& why)
{
    const auto fail = [&](std::string text) {
        why = std::move(text);
        return std::shared_ptr<const DeepSkyCatalogue>{};
    };
    if (file.size() > kMaxDeepSkyFileBytes) return fail("the file is larger than any deep-sky file");
    if (file.size() < fmt::kHeaderBytes ||
        std::memcmp(file.data(), fmt::kMagic.data(), fmt::kMagic.size()) != 0)
        return fail("not a deep-sky file");
    const unsigned char* h = file.data();
    if (U16(h + 8) != fmt::kVersion) return fail("a deep-sky file of another version");
    if (U16(h + 10) != fmt::kHeaderBytes) return fail("damaged header");
    const std::uint32_t sectionCount = U32(h + 12);
    const std::uint32_t payloadSize = U32(h + 16);
    if (payloadSize != file.size() - fmt::kHeaderBytes) return fail("the file is cut short or too long");
    const unsigned char* payload = h + fmt::kHeaderBytes;
    const uLong crc = crc32(crc32(0L, Z_NULL, 0), payload, static_cast<uInt>(payloadSize));
    if (static_cast<std::uint32_t>(crc) != U32(h + 20)) return fail("checksum mismatch");
    constexpr std::uint32_t kMaxSections = 64;
    if (sectionCount > kMaxSections ||
        static_cast<std::uint64_t>(sectionCount) * fmt::kSectionEntryBytes > payloadSize)
        return fail("damaged section table");

    const auto sectionOf = [&](std::uint32_t tag) {
        Section s;
        for (std::uint32_t i = 0; i < sectionCount; ++i) {
            const unsigned char* e = payload + i * fmt::kSectionEntryBytes;
            if (U32(e) != tag) continue;
            const std::uint64_t offset = U32(e + 4), size = U32(e + 8);
            if (offset + size > payloadSize) return Section{nullptr, 0, 0, false};
            s = {payload + offset, static_cast<std::uint32_t>(size), U32(e + 12), true};
        }
        return s;
    };
    const auto records = [&](std::uint32_t tag, std::uint32_t bytes, Section& s) {
        s = sectionOf(tag);
        return s.present && static_cast<std::uint64_t>(s.count) * bytes == s.size;
    };

    auto catalogue = std::make_shared<DeepSkyCatalogue>();
    DeepSkyCatalogue& c = *catalogue;
    Section strs = sectionOf(fmt::kStrings);
    if (!strs.present || (strs.size > 0 && strs.data[strs.size - 1] != 0))
        return fail("damaged string pool");
    c.strings.assign(reinterpret_cast<const char*>(strs.data), strs.size);
    const auto text = [&](std::uint32_t offset, std::string_view& out) {
        if (offset >= c.strings.size()) return false;
        out = std::string_view(c.strings.c_str() + offset);
        return true;
    };

    Section s;
    if (!records(fmt::kConstellations, fmt::kConstellationBytes, s) || s.count > 254)
        return fail("damaged constellation table");
    for (std::uint32_t i = 0; i < s.count; ++i) {
        const unsigned char* r = s.data + i * fmt::kConstellationBytes;
        if (r[3] != 0) return fail("damaged constellation table");
        c.constellations.emplace_back(reinterpret_cast<const char*>(r), std::strlen(reinterpret_cast<const char*>(r)));
    }
    const auto constellationOk = [&](std::uint8_t row, bool unknownAllowed) {
        return row < c.constellations.size() ||
               (unknownAllowed && row == fmt::kUnknownConstellation);
    };

    if (!records(fmt::kStars, fmt::kStarBytes, s)) return fail("damaged star table");
    c.stars.reserve(s.count);
    for (std::uint32_t i = 0; i < s.count; ++i) {
        const unsigned char* r = s.data + i * fmt::kStarBytes;
        DeepStar star{F32(r + 4), F32(r + 8), I16(r + 12) / 100.0f, std::numeric_limits<float>::quiet_NaN(),
                      U32(r), r[16]};
        if (I16(r + 14) != fmt::kUnknownShort) star.bv = I16(r + 14) / 1000.0f;
        if (star.hip == 0 || !ValidPosition(star.raDeg, star.decDeg) ||
            I16(r + 12) == fmt::kUnknownShort || !constellationOk(star.constellation, false))
            return fail("damaged star " + std::to_string(i));
        c.stars.push_back(star);
    }

    if (!records(fmt::kHipToHr, fmt::kHipToHrBytes, s)) return fail("damaged Hipparcos cross-index");
    c.hipToHr.reserve(s.count);
    for (std::uint32_t i = 0; i < s.count; ++i)
        c.hipToHr.emplace_back(U32(s.data + i * 8), U32(s.data + i * 8 + 4));
    std::sort(c.hipToHr.begin(), c.hipToHr.end());

    if (!records(fmt::kObjects, fmt::kObjectBytes, s)) return fail("damaged object table");
    for (std::uint32_t i = 0; i < s.count; ++i) {
        const unsigned char* r = s.data + i * fmt::kObjectBytes;
        DeepObject o{};
        o.raDeg = F32(r);
        o.decDeg = F32(r + 4);
        const std::int16_t angle = I16(r + 16), mag = I16(r + 18);
        o.positionAngleDeg = angle == -1 ? std::numeric_limits<float>::quiet_NaN() : angle;
        o.magnitude = mag == fmt::kUnknownShort ? std::numeric_limits<float>::quiet_NaN() : mag / 100.0f;
        const std::uint16_t messier = U16(r + 22);
        const bool ok = ValidPosition(o.raDeg, o.decDeg) && ReadSize(F32(r + 8), o.majorArcmin) &&
                        ReadSize(F32(r + 12), o.minorArcmin) && (angle == -1 || (angle >= 0 && angle <= 360)) &&
                        r[20] < kDeepSkyTypeCount && constellationOk(r[21], true) && messier <= 110 &&
                        text(U32(r + 24), o.designation) && text(U32(r + 28), o.commonNames) &&
                        !o.designation.empty();
        if (!ok) return fail("damaged object " + std::to_string(i));
        o.type = static_cast<DeepSkyType>(r[20]);
        o.constellation = r[21];
        if (messier != 0)
            c.messierNames.push_back({messier, o.designation, o.commonNames, o.majorArcmin, o.minorArcmin,
                                      o.positionAngleDeg, o.type});
        else c.objects.push_back(o);
    }

    if (!records(fmt::kAliases, fmt::kAliasBytes, s)) return fail("damaged alias table");
    std::vector<std::pair<std::string_view, std::string_view>> aliasTexts(s.count);
    for (std::uint32_t i = 0; i < s.count; ++i)
        if (!text(U32(s.data + i * 8), aliasTexts[i].first) || !text(U32(s.data + i * 8 + 4), aliasTexts[i].second))
            return fail("damaged alias " + std::to_string(i));

    Section points;
    if (!records(fmt::kMilkyWayRings, fmt::kMilkyWayRingBytes, s) ||
        !records(fmt::kMilkyWayPoints, fmt::kMilkyWayPointBytes, points))
        return fail("damaged Milky Way");
    std::uint64_t used = 0;
    for (std::uint32_t i = 0; i < s.count; ++i) {
        const std::uint32_t level = U32(s.data + i * 8), count = U32(s.data + i * 8 + 4);
        if (level < 1 || level > 5 || count < 3 || used + count > points.count)
            return fail("damaged Milky Way ring " + std::to_string(i));
        c.milkyWay.push_back({static_cast<int>(level), static_cast<std::uint32_t>(used), count});
        used += count;
    }
    if (used != points.count) return fail("damaged Milky Way");
    c.milkyWayPoints.resize(static_cast<std::size_t>(points.count) * 2);
    for (std::uint32_t i = 0; i < points.count; ++i) {
        const float ra = F32(points.data + i * 8), dec = F32(points.data + i * 8 + 4);
        if (!ValidPosition(ra, dec)) return fail("damaged Milky Way point " + std::to_string(i));
        c.milkyWayPoints[2 * i] = ra;
        c.milkyWayPoints[2 * i + 1] = dec;
    }

    c.BuildLookups();
    // Aliases resolve against the designations just indexed.
    for (const auto& [alias, target] : aliasTexts) {
        DeepSkyAlias a{alias, -1, 0};
        if (target.size() > 1 && target[0] == 'M' && target.find_first_not_of("0123456789", 1) == std::string_view::npos) {
            a.messier = std::atoi(std::string(target.substr(1)).c_str());
            if (a.messier < 1 || a.messier > 110) continue;
        } else {
            std::uint8_t cat = 0;
            std::uint32_t number = 0;
            std::string suffix;
            if (!SplitDesignation(target, cat, number, suffix)) continue;
            const auto found = c.FindDesignation(
                {cat == 0 ? CatalogueDesignation::Catalogue::kNgc : CatalogueDesignation::Catalogue::kIc,
                 number, suffix});
            if (found.object < 0 && found.messier == 0) continue;
            a.object = found.object;
            a.messier = found.messier;
        }
        c.aliases.push_back(a);
        DeepSkyCatalogue::Key k{};
        if (SplitDesignation(alias, k.catalogue, k.number, k.suffix)) {
            k.object = a.object;
            k.messier = a.messier;
            c.designations_.push_back(std::move(k));
        }
    }
    c.SortDesignations();
    why.clear();
    return catalogue;
}

std::shared_ptr<const DeepSkyCatalogue> LoadDeepSkyFile(const std::filesystem::path& path,
                                                        std::string& why)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        why = "no deep-sky file at " + path.string();
        return nullptr;
    }
    std::vector<unsigned char> bytes;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0 || static_cast<std::uint64_t>(size) > kMaxDeepSkyFileBytes) {
        why = "the deep-sky file is larger than any deep-sky file";
        return nullptr;
    }
    in.seekg(0);
    bytes.resize(static_cast<std::size_t>(size));
    if (!in.read(reinterpret_cast<char*>(bytes.data()), size)) {
        why = "cannot read " + path.string();
        return nullptr;
    }
    return ReadDeepSky(bytes, why);
}

}  // namespace skyvane::skydata
