// Finding a sky object by the names people type: a star's proper name, its
// Bayer or Flamsteed designation in the usual spellings ("Alpha Orionis",
// "alf Ori", "α Ori", "58 Ori"), its HR or SAO number; a Messier object by
// number, NGC number or common name; the Sun, the Moon and the planets.
//
// The index is built from one catalogue and never changes; a newly loaded
// catalogue gets a new index. Names are compared folded: case, accents,
// blanks and punctuation do not count, and Greek letters read as their
// Latin names.
#pragma once

#include <atomic>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "skydata/catalogue.h"
#include "skydata/deep_sky.h"
#include "skydata/windows1252.h"

namespace skyvane::skydata {

enum class ObjectKind : std::uint8_t { kStar, kMessier, kBody, kHipStar, kNgcObject };

// One object of the sky: a star row, a Messier row (row 0 is M1), a
// solar-system body (a BodyId), or a row of the deep-sky catalogue's stars
// or objects.
struct ObjectRef {
    ObjectKind kind = ObjectKind::kStar;
    int index = -1;

    friend bool operator==(const ObjectRef&, const ObjectRef&) = default;
};

// A name that matched, as it is written (UTF-8), and its object.
struct NameMatch {
    std::string name;
    ObjectRef object;
};

// The text names are compared by: lower case, accents and marks removed,
// Greek letters spelt out ("α" is "alpha"), superscript digits as digits,
// everything that is not a letter or a digit left out. UTF-8 in; bytes that
// are not UTF-8 are read as Windows-1252.
std::string FoldName(std::string_view text);

class NameIndex {
public:
    // Only the Sun, the Moon and the planets.
    NameIndex();
    explicit NameIndex(const SkyCatalogue& catalogue,
                       std::shared_ptr<const DeepSkyCatalogue> deepSky = nullptr);

    // The object a whole name stands for. Where several objects share a
    // name, the Sun and planets come first, then Messier objects, then NGC
    // and IC objects, then the brightest star. "HIP n" finds the main
    // catalogue's star when it holds that star, "NGC n" the Messier object
    // when it is one; a letter suffix that no object carries ("NGC 5194A")
    // finds the object of the bare number.
    std::optional<ObjectRef> Find(std::string_view name) const;

    // Objects with a name that begins with `prefix`, each object once (under
    // the first of its names in alphabetical order), up to `limit`, in the
    // alphabetical order of the folded names. An empty prefix completes to
    // nothing. `out` is cleared first.
    void Complete(std::string_view prefix, std::size_t limit, std::vector<NameMatch>& out) const;

    // For a name that finds nothing: the names of up to `limit` objects that
    // come closest, completions first, then by the fewest letters to change.
    std::vector<NameMatch> Closest(std::string_view name, std::size_t limit) const;

    // How many names the index holds.
    std::size_t size() const { return entries_.size(); }

private:
    struct Entry {
        // The folded name's first and second eight bytes, big-endian and
        // padded with zeros: they order all names of up to 16 letters.
        std::uint64_t head;
        std::uint64_t next;
        std::uint32_t keyOffset;  // the name as written follows its key
        std::int32_t index;
        std::uint16_t rank;  // lower comes first among equal names
        std::uint8_t keyLength;
        std::uint8_t nameLength;
        ObjectKind kind;
        bool primaryOnly;  // dropped when a better-ranked object has the same name
    };

    void Add(std::string_view name, ObjectKind kind, int index, std::uint16_t rank,
             bool primaryOnly = false);
    // The same for a name in parts, joined without separators.
    void Add(std::initializer_list<std::string_view> parts, ObjectKind kind, int index,
             std::uint16_t rank, bool primaryOnly = false);
    // A catalogue text, Windows-1252, under its UTF-8 form.
    void AddWindows1252(std::string_view text, ObjectKind kind, int index, std::uint16_t rank);
    void AddBodies();
    void AddStar(const StarRecord& star, int row);
    void AddMessier(const DeepSkyObject& object, int row);
    void AddDeepSky(const DeepSkyCatalogue& deep, int messierCount);
    std::optional<ObjectRef> FindDesignation(std::string_view folded) const;
    void Finish();

    std::string_view Key(const Entry& e) const { return {text_.data() + e.keyOffset, e.keyLength}; }
    std::string_view Name(const Entry& e) const
    {
        return {text_.data() + e.keyOffset + e.keyLength, e.nameLength};
    }
    static bool Before(const Entry& a, std::string_view aKey, const Entry& b,
                       std::string_view bKey);
    bool SameKey(const Entry& a, const Entry& b) const;
    std::size_t LowerBound(std::string_view key) const;

    std::string text_;  // every folded key and written name, end to end
    std::string scratch_;  // a name being put together
    std::string converted_;  // a catalogue text in UTF-8
    std::vector<Entry> entries_;
    std::shared_ptr<const DeepSkyCatalogue> deep_;
    std::vector<std::pair<int, int>> starRowOfHr_;  // (HR, row), sorted
    int messierCount_ = 0;
};

// The name index of one catalogue, built the first time a name is asked
// for: drawing and printing a chart never ask, and never pay for it.
// Copies share one index; building it is safe from any thread and happens
// once.
class NamesOnDemand {
public:
    NamesOnDemand() = default;  // none at all
    // The index of `catalogue` and, when there is one, the deep-sky
    // catalogue's names, to be built when first used.
    explicit NamesOnDemand(std::shared_ptr<const SkyCatalogue> catalogue,
                           std::shared_ptr<const DeepSkyCatalogue> deepSky = nullptr);
    // Only the Sun, the Moon and the planets.
    static NamesOnDemand BodiesOnly();

    explicit operator bool() const { return state_ != nullptr; }
    const NameIndex& operator*() const;
    const NameIndex* operator->() const { return &**this; }
    // Whether the index has been built yet.
    bool Built() const;

    // The same index (not merely equal names).
    friend bool operator==(const NamesOnDemand& a, const NamesOnDemand& b)
    {
        return a.state_ == b.state_;
    }

private:
    struct State {
        std::shared_ptr<const SkyCatalogue> catalogue;  // null: bodies only
        std::shared_ptr<const DeepSkyCatalogue> deepSky;  // null: none
        std::once_flag once;
        std::unique_ptr<const NameIndex> index;
        std::atomic<bool> built{false};
    };
    std::shared_ptr<State> state_;
};

// The name an object is shown under, UTF-8: a star's proper name, else its
// designation; "M42"; "Jupiter"; "HIP 1234"; "NGC 7000". Empty for a row
// the catalogues do not hold.
std::string ObjectName(const SkyCatalogue& catalogue, ObjectRef object,
                       const DeepSkyCatalogue* deepSky = nullptr);

// The full form of the designation of a star, "9 Alp CMa" → "Alpha Canis
// Majoris", when it has a Bayer letter; else empty.
std::string BayerName(const StarRecord& star);

// The star's number in the Bright Star Catalogue, from a designation
// "HR n Xxx" or, failing that, from its page number (our catalogue numbers
// star pages by HR number); 0 when it has none.
int HarvardRevisedNumber(const StarRecord& star);

}  // namespace skyvane::skydata
