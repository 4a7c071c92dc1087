// Packs the deep-sky file from the texts compile_deep_sky.py writes in
// data/deepsky (see that script for their fields):
//
//   pack_deep_sky OUTPUT SOURCE_DIR
//
// Checks every line; on any problem writes nothing and exits with 1. The
// output's layout is in skydata/deep_sky_format.h.
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "skydata/deep_sky_format.h"

namespace fmt = skyvane::skydata::deepsky_format;
namespace fs = std::filesystem;

namespace {

struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class Bytes {
public:
    void U8(unsigned v) { data_.push_back(static_cast<unsigned char>(v)); }
    void U16(unsigned v) { U8(v & 0xFF), U8((v >> 8) & 0xFF); }
    void U32(std::uint32_t v) { U16(v & 0xFFFF), U16(v >> 16); }
    void I16(int v) { U16(static_cast<std::uint16_t>(static_cast<std::int16_t>(v))); }
    void F32(float f)
    {
        std::uint32_t bits;
        std::memcpy(&bits, &f, sizeof bits);
        U32(bits);
    }
    void Append(const std::string& s) { data_.insert(data_.end(), s.begin(), s.end()); }
    std::vector<unsigned char>& data() { return data_; }

private:
    std::vector<unsigned char> data_;
};

std::vector<std::string> Split(const std::string& line, char separator)
{
    std::vector<std::string> out;
    std::string field;
    std::istringstream in(line);
    while (std::getline(in, field, separator)) out.push_back(field);
    if (!line.empty() && line.back() == separator) out.emplace_back();
    return out;
}

std::vector<std::vector<std::string>> ReadTable(const fs::path& path, std::size_t fields)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) throw Failure("cannot read " + path.string());
    std::vector<std::vector<std::string>> rows;
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (line.empty()) continue;
        auto row = Split(line, '\t');
        if (fields != 0 && row.size() != fields)
            throw Failure(path.filename().string() + " line " + std::to_string(number) + ": expected " +
                          std::to_string(fields) + " fields");
        rows.push_back(std::move(row));
    }
    return rows;
}

double Number(const std::string& text, const std::string& where)
{
    std::size_t used = 0;
    double v = 0;
    try {
        v = std::stod(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used != text.size() || !std::isfinite(v)) throw Failure(where + ": bad number '" + text + "'");
    return v;
}

int Scaled(const std::string& text, double scale, const std::string& where)
{
    if (text == "-") return fmt::kUnknownShort;
    const double v = std::round(Number(text, where) * scale);
    if (v <= fmt::kUnknownShort || v > 32767) throw Failure(where + ": out of range");
    return static_cast<int>(v);
}

class Strings {
public:
    Strings() { pool_.push_back('\0'); }  // offset 0 is the empty text
    std::uint32_t Add(const std::string& s)
    {
        if (s.empty()) return 0;
        if (s.find('\0') != std::string::npos) throw Failure("text with a zero byte");
        const auto [it, fresh] = offsets_.emplace(s, static_cast<std::uint32_t>(pool_.size()));
        if (fresh) pool_.append(s).push_back('\0');
        return it->second;
    }
    const std::string& pool() const { return pool_; }

private:
    std::string pool_;
    std::map<std::string, std::uint32_t> offsets_;
};

struct SectionOut {
    std::uint32_t tag;
    std::uint32_t count;
    Bytes bytes;
};

std::vector<unsigned char> Pack(const fs::path& dir)
{
    std::vector<std::string> constellations;
    std::map<std::string, int> constellationRow;
    const auto constellation = [&](std::string abbreviation, bool unknownAllowed) -> int {
        // OpenNGC splits Serpens into its head and tail.
        if (abbreviation == "Se1" || abbreviation == "Se2") abbreviation = "Ser";
        if (abbreviation == "-" && unknownAllowed) return fmt::kUnknownConstellation;
        if (abbreviation.size() != 3) throw Failure("bad constellation '" + abbreviation + "'");
        const auto [it, fresh] = constellationRow.emplace(abbreviation, static_cast<int>(constellations.size()));
        if (fresh) constellations.push_back(abbreviation);
        if (constellations.size() > 254) throw Failure("too many constellations");
        return it->second;
    };

    Strings strings;
    SectionOut stars{fmt::kStars, 0, {}};
    for (const auto& row : ReadTable(dir / "stars.txt", 6)) {
        const std::string where = "HIP " + row[0];
        const double hip = Number(row[0], where);
        const double ra = Number(row[1], where), dec = Number(row[2], where);
        if (hip < 1 || hip > 0xFFFFFF || ra < 0 || ra >= 360 || dec < -90 || dec > 90)
            throw Failure(where + ": out of range");
        stars.bytes.U32(static_cast<std::uint32_t>(hip));
        stars.bytes.F32(static_cast<float>(ra));
        stars.bytes.F32(static_cast<float>(dec));
        stars.bytes.I16(Scaled(row[3], 100, where));
        stars.bytes.I16(Scaled(row[4], 1000, where));
        stars.bytes.U8(static_cast<unsigned>(constellation(row[5], false)));
        stars.bytes.U8(0), stars.bytes.U16(0);
        ++stars.count;
    }

    SectionOut hipHr{fmt::kHipToHr, 0, {}};
    for (const auto& row : ReadTable(dir / "hip-hr.txt", 2)) {
        hipHr.bytes.U32(static_cast<std::uint32_t>(Number(row[0], "hip-hr")));
        hipHr.bytes.U32(static_cast<std::uint32_t>(Number(row[1], "hip-hr")));
        ++hipHr.count;
    }

    SectionOut objects{fmt::kObjects, 0, {}};
    for (const auto& row : ReadTable(dir / "objects.txt", 11)) {
        const std::string& where = row[0];
        const auto type = std::find(fmt::kTypeCodes.begin(), fmt::kTypeCodes.end(), row[1]);
        if (type == fmt::kTypeCodes.end()) throw Failure(where + ": unknown type " + row[1]);
        const double ra = Number(row[2], where), dec = Number(row[3], where);
        if (ra < 0 || ra >= 360 || dec < -90 || dec > 90) throw Failure(where + ": out of range");
        const auto size = [&](const std::string& t) {
            return t == "-" ? -1.0f : static_cast<float>(Number(t, where));
        };
        const int messier = static_cast<int>(Number(row[9], where));
        if (messier < 0 || messier > 110) throw Failure(where + ": bad Messier number");
        objects.bytes.F32(static_cast<float>(ra));
        objects.bytes.F32(static_cast<float>(dec));
        objects.bytes.F32(size(row[5]));
        objects.bytes.F32(size(row[6]));
        objects.bytes.I16(row[7] == "-" ? -1 : static_cast<int>(std::lround(Number(row[7], where))) % 360);
        objects.bytes.I16(Scaled(row[8], 100, where));
        objects.bytes.U8(static_cast<unsigned>(type - fmt::kTypeCodes.begin()));
        objects.bytes.U8(static_cast<unsigned>(constellation(row[4], true)));
        objects.bytes.U16(static_cast<unsigned>(messier));
        objects.bytes.U32(strings.Add(row[0]));
        objects.bytes.U32(strings.Add(row[10]));
        ++objects.count;
    }

    SectionOut aliases{fmt::kAliases, 0, {}};
    for (const auto& row : ReadTable(dir / "aliases.txt", 2)) {
        aliases.bytes.U32(strings.Add(row[0]));
        aliases.bytes.U32(strings.Add(row[1]));
        ++aliases.count;
    }

    SectionOut rings{fmt::kMilkyWayRings, 0, {}};
    SectionOut points{fmt::kMilkyWayPoints, 0, {}};
    for (const auto& row : ReadTable(dir / "milky-way.txt", 2)) {
        const int level = static_cast<int>(Number(row[0], "milky-way"));
        if (level < 1 || level > 5) throw Failure("milky-way: bad level");
        std::uint32_t count = 0;
        for (const std::string& point : Split(row[1], ' ')) {
            const auto xy = Split(point, ',');
            if (xy.size() != 2) throw Failure("milky-way: bad point '" + point + "'");
            double ra = Number(xy[0], "milky-way"), dec = Number(xy[1], "milky-way");
            if (ra >= 360) ra -= 360;
            if (ra < 0 || ra >= 360 || dec < -90 || dec > 90) throw Failure("milky-way: out of range");
            points.bytes.F32(static_cast<float>(ra));
            points.bytes.F32(static_cast<float>(dec));
            ++count;
        }
        if (count < 3) throw Failure("milky-way: a ring of fewer than three points");
        rings.bytes.U32(static_cast<std::uint32_t>(level));
        rings.bytes.U32(count);
        points.count += count;
        ++rings.count;
    }

    SectionOut cons{fmt::kConstellations, 0, {}};
    for (const std::string& c : constellations) {
        cons.bytes.Append(c);
        cons.bytes.U8(0);
        ++cons.count;
    }
    SectionOut pool{fmt::kStrings, 0, {}};
    pool.bytes.Append(strings.pool());
    pool.count = 1;

    std::vector<SectionOut*> sections{&cons, &stars, &hipHr, &objects, &aliases, &rings, &points, &pool};
    Bytes payload;
    std::uint32_t offset = static_cast<std::uint32_t>(sections.size() * fmt::kSectionEntryBytes);
    for (SectionOut* s : sections) {
        payload.U32(s->tag);
        payload.U32(offset);
        payload.U32(static_cast<std::uint32_t>(s->bytes.data().size()));
        payload.U32(s->count);
        offset += static_cast<std::uint32_t>(s->bytes.data().size());
    }
    for (SectionOut* s : sections)
        payload.data().insert(payload.data().end(), s->bytes.data().begin(), s->bytes.data().end());

    Bytes file;
    file.Append(std::string(fmt::kMagic));
    file.U16(fmt::kVersion);
    file.U16(fmt::kHeaderBytes);
    file.U32(static_cast<std::uint32_t>(sections.size()));
    file.U32(static_cast<std::uint32_t>(payload.data().size()));
    file.U32(static_cast<std::uint32_t>(
        crc32(crc32(0L, Z_NULL, 0), payload.data().data(), static_cast<uInt>(payload.data().size()))));
    file.U32(0), file.U32(0);
    file.data().insert(file.data().end(), payload.data().begin(), payload.data().end());
    return std::move(file.data());
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: pack_deep_sky OUTPUT SOURCE_DIR\n");
        return 2;
    }
    try {
        const std::vector<unsigned char> bytes = Pack(argv[2]);
        const fs::path output = argv[1];
        const fs::path temporary = output.string() + ".tmp";
        {
            std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
            if (!out) throw Failure("cannot write " + temporary.string());
        }
        fs::rename(temporary, output);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "pack_deep_sky: %s\npack_deep_sky: nothing written\n", e.what());
        return 1;
    }
    return 0;
}
