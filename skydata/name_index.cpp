#include "skydata/name_index.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <charconv>
#include <cstring>

#include "engine/body.h"
#include "skydata/windows1252.h"

namespace skyvane::skydata {
namespace {

// ------------------------------------------------------------ the letters

struct GreekLetter {
    std::string_view catalogue;  // as our designations write it: "Alp"
    std::string_view iau;        // the three-letter form of star catalogues: "alf"
    std::string_view latin;      // spelt out: "Alpha"
    char32_t lower;              // the letter itself
};

constexpr std::array<GreekLetter, 24> kGreekLetters{{
    {"Alp", "alf", "Alpha", U'α'},   {"Bet", "bet", "Beta", U'β'},
    {"Gam", "gam", "Gamma", U'γ'},   {"Del", "del", "Delta", U'δ'},
    {"Eps", "eps", "Epsilon", U'ε'}, {"Zet", "zet", "Zeta", U'ζ'},
    {"Eta", "eta", "Eta", U'η'},     {"The", "tet", "Theta", U'θ'},
    {"Iot", "iot", "Iota", U'ι'},    {"Kap", "kap", "Kappa", U'κ'},
    {"Lam", "lam", "Lambda", U'λ'},  {"Mu", "mu.", "Mu", U'μ'},
    {"Nu", "nu.", "Nu", U'ν'},       {"Xi", "ksi", "Xi", U'ξ'},
    {"Omi", "omi", "Omicron", U'ο'}, {"Pi", "pi.", "Pi", U'π'},
    {"Rho", "rho", "Rho", U'ρ'},     {"Sig", "sig", "Sigma", U'σ'},
    {"Tau", "tau", "Tau", U'τ'},     {"Ups", "ups", "Upsilon", U'υ'},
    {"Phi", "phi", "Phi", U'φ'},     {"Chi", "chi", "Chi", U'χ'},
    {"Psi", "psi", "Psi", U'ψ'},     {"Ome", "ome", "Omega", U'ω'},
}};

// Genitives of the constellations, as "Alpha Orionis" needs them.
struct Genitive {
    std::string_view abbreviation;
    std::string_view genitive;
};

constexpr std::array<Genitive, 88> kGenitives{{
    {"And", "Andromedae"},       {"Ant", "Antliae"},
    {"Aps", "Apodis"},           {"Aqr", "Aquarii"},
    {"Aql", "Aquilae"},          {"Ara", "Arae"},
    {"Ari", "Arietis"},          {"Aur", "Aurigae"},
    {"Boo", "Bootis"},           {"Cae", "Caeli"},
    {"Cam", "Camelopardalis"},   {"Cnc", "Cancri"},
    {"CVn", "Canum Venaticorum"}, {"CMa", "Canis Majoris"},
    {"CMi", "Canis Minoris"},    {"Cap", "Capricorni"},
    {"Car", "Carinae"},          {"Cas", "Cassiopeiae"},
    {"Cen", "Centauri"},         {"Cep", "Cephei"},
    {"Cet", "Ceti"},             {"Cha", "Chamaeleontis"},
    {"Cir", "Circini"},          {"Col", "Columbae"},
    {"Com", "Comae Berenices"},  {"CrA", "Coronae Australis"},
    {"CrB", "Coronae Borealis"}, {"Crv", "Corvi"},
    {"Crt", "Crateris"},         {"Cru", "Crucis"},
    {"Cyg", "Cygni"},            {"Del", "Delphini"},
    {"Dor", "Doradus"},          {"Dra", "Draconis"},
    {"Equ", "Equulei"},          {"Eri", "Eridani"},
    {"For", "Fornacis"},         {"Gem", "Geminorum"},
    {"Gru", "Gruis"},            {"Her", "Herculis"},
    {"Hor", "Horologii"},        {"Hya", "Hydrae"},
    {"Hyi", "Hydri"},            {"Ind", "Indi"},
    {"Lac", "Lacertae"},         {"Leo", "Leonis"},
    {"LMi", "Leonis Minoris"},   {"Lep", "Leporis"},
    {"Lib", "Librae"},           {"Lup", "Lupi"},
    {"Lyn", "Lyncis"},           {"Lyr", "Lyrae"},
    {"Men", "Mensae"},           {"Mic", "Microscopii"},
    {"Mon", "Monocerotis"},      {"Mus", "Muscae"},
    {"Nor", "Normae"},           {"Oct", "Octantis"},
    {"Oph", "Ophiuchi"},         {"Ori", "Orionis"},
    {"Pav", "Pavonis"},          {"Peg", "Pegasi"},
    {"Per", "Persei"},           {"Phe", "Phoenicis"},
    {"Pic", "Pictoris"},         {"Psc", "Piscium"},
    {"PsA", "Piscis Austrini"},  {"Pup", "Puppis"},
    {"Pyx", "Pyxidis"},          {"Ret", "Reticuli"},
    {"Sge", "Sagittae"},         {"Sgr", "Sagittarii"},
    {"Sco", "Scorpii"},          {"Scl", "Sculptoris"},
    {"Sct", "Scuti"},            {"Ser", "Serpentis"},
    {"Sex", "Sextantis"},        {"Tau", "Tauri"},
    {"Tel", "Telescopii"},       {"Tri", "Trianguli"},
    {"TrA", "Trianguli Australis"}, {"Tuc", "Tucanae"},
    {"UMa", "Ursae Majoris"},    {"UMi", "Ursae Minoris"},
    {"Vel", "Velorum"},          {"Vir", "Virginis"},
    {"Vol", "Volantis"},         {"Vul", "Vulpeculae"},
}};

// An abbreviation's three letters as one number, for a quick search.
constexpr std::uint32_t AbbreviationCode(std::string_view abbreviation)
{
    std::uint32_t code = 0;
    for (const char c : abbreviation) code = (code << 8) | static_cast<unsigned char>(c);
    return code;
}

// Empty for an abbreviation that is not a constellation's. Every star's
// designation asks, so the table is searched by a sorted code, not by
// comparing texts one after the other.
std::string_view GenitiveOf(std::string_view abbreviation)
{
    struct Coded {
        std::uint32_t code;
        std::string_view genitive;
    };
    static const std::array<Coded, kGenitives.size()> kByCode = [] {
        std::array<Coded, kGenitives.size()> coded{};
        for (std::size_t i = 0; i < kGenitives.size(); ++i)
            coded[i] = {AbbreviationCode(kGenitives[i].abbreviation), kGenitives[i].genitive};
        std::sort(coded.begin(), coded.end(),
                  [](const Coded& a, const Coded& b) { return a.code < b.code; });
        return coded;
    }();
    if (abbreviation.size() != 3) return {};
    const std::uint32_t code = AbbreviationCode(abbreviation);
    const auto it = std::lower_bound(kByCode.begin(), kByCode.end(), code,
                                     [](const Coded& c, std::uint32_t v) { return c.code < v; });
    return it != kByCode.end() && it->code == code ? it->genitive : std::string_view{};
}

// Whether two forms of a letter fold alike: "mu." and "Mu", "eta" and "Eta".
bool SameLetters(std::string_view a, std::string_view b)
{
    const auto letters = [](std::string_view s) {
        std::string_view out = s;
        while (!out.empty() && out.back() == '.') out.remove_suffix(1);
        return out;
    };
    a = letters(a);
    b = letters(b);
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](char x, char y) { return (x | 0x20) == (y | 0x20); });
}

const GreekLetter* GreekByCatalogueForm(std::string_view letters)
{
    for (const GreekLetter& g : kGreekLetters)
        if (letters == g.catalogue) return &g;
    return nullptr;
}

// ------------------------------------------------------------- characters

// The next character of UTF-8 text at `i`, moving `i` past it. A byte that
// does not start a well-formed sequence is one Windows-1252 character.
char32_t NextCodePoint(std::string_view text, std::size_t& i)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char b0 = byte(i);
    int length = 0;
    char32_t c = 0;
    char32_t minimum = 0;
    if (b0 < 0x80) {
        ++i;
        return b0;
    } else if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2, c = b0 & 0x1F, minimum = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3, c = b0 & 0x0F, minimum = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4, c = b0 & 0x07, minimum = 0x10000;
    }
    if (length > 0 && i + length <= text.size()) {
        bool ok = true;
        for (int k = 1; k < length && ok; ++k) {
            const unsigned char b = byte(i + k);
            ok = (b & 0xC0) == 0x80;
            c = (c << 6) | (b & 0x3F);
        }
        if (ok && c >= minimum && c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF)) {
            i += length;
            return c;
        }
    }
    ++i;
    return Windows1252ToUnicode(b0);
}

// Base letters of U+00C0 .. U+00FF; '*' for the two signs; "ae", "th"
// and "ss" are spelt out below.
constexpr char kLatin1Base[] =
    "aaaaaa" "a" "c" "eeee" "iiii" "dn" "ooooo" "*" "o" "uuuu" "y" "T" "S"
    "aaaaaa" "a" "c" "eeee" "iiii" "dn" "ooooo" "*" "o" "uuuu" "y" "T" "y";
static_assert(sizeof kLatin1Base - 1 == 0x40);

// Base letters of U+0100 .. U+017F (Latin Extended-A); 'J' for "ij" and
// 'E' for "oe".
constexpr char kLatinExtendedBase[] =
    "aaaaaa" "cccccccc" "dddd" "eeeeeeeeee" "gggggggg" "hhhh" "iiiiiiiiii" "JJ" "jj" "kkk"
    "llllllllll" "nnnnnnnnn" "oooooo" "EE" "rrrrrr" "ssssssss" "tttttt" "uuuuuuuuuuuu" "ww"
    "yyy" "zzzzzz" "s";
static_assert(sizeof kLatinExtendedBase - 1 == 0x80);

std::string_view GreekLatinName(char32_t c)
{
    // Capitals, final sigma and the symbol variants read as the letter.
    if (c >= 0x0391 && c <= 0x03A9 && c != 0x03A2) c += 0x20;
    switch (c) {
    case 0x03C2: c = U'σ'; break;
    case 0x03D1: c = U'θ'; break;
    case 0x03D5: c = U'φ'; break;
    case 0x03D6: c = U'π'; break;
    case 0x03F0: c = U'κ'; break;
    case 0x03F1: c = U'ρ'; break;
    case 0x03F5: c = U'ε'; break;
    case 0x00B5: c = U'μ'; break;  // the micro sign
    default: break;
    }
    for (const GreekLetter& g : kGreekLetters)
        if (g.lower == c) return g.latin;
    return {};
}

void AppendFolded(char32_t c, std::string& out)
{
    if (c < 0x80) {
        if (c >= 'A' && c <= 'Z') out += static_cast<char>(c - 'A' + 'a');
        else if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) out += static_cast<char>(c);
        return;
    }
    char base = 0;
    if (c >= 0xC0 && c <= 0xFF) base = kLatin1Base[c - 0xC0];
    else if (c >= 0x100 && c <= 0x17F) base = kLatinExtendedBase[c - 0x100];
    switch (base) {
    case 0: break;
    case '*': return;
    case 'T': out += "th"; return;
    case 'S': out += "ss"; return;
    case 'J': out += "ij"; return;
    case 'E': out += "oe"; return;
    default:
        out += base;
        if (c == 0xC6 || c == 0xE6) out += 'e';  // æ
        return;
    }
    if (c == 0xB9) out += '1';
    else if (c == 0xB2) out += '2';
    else if (c == 0xB3) out += '3';
    else if (c >= 0x2070 && c <= 0x2079) out += static_cast<char>('0' + (c - 0x2070));
    else {
        for (const char letter : GreekLatinName(c)) out += static_cast<char>(letter | 0x20);
    }
    // Anything else (marks, signs, other scripts) does not count.
}

// Star ranks: brighter stars first among stars of the same name; every
// star after every body and Messier object.
constexpr std::uint16_t kFirstStarRank = 1000;
std::uint16_t StarRank(double magnitude)
{
    // Hundredths of a magnitude from -2 on, as the catalogue gives them;
    // magnitude 60 and beyond rank alike.
    constexpr double kFaintest = 6200;
    double m = std::round((magnitude + 2) * 100);
    if (!(m > 0)) m = 0;  // NaN too
    if (m > kFaintest) m = kFaintest;
    return static_cast<std::uint16_t>(kFirstStarRank + m);
}
constexpr std::uint16_t kFirstMessierRank = 100;
constexpr std::uint16_t kNgcObjectRank = 400;

bool IsBlank(std::string_view text)
{
    return text.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

std::string_view Trimmed(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const std::size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

bool AllDigits(std::string_view text)
{
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The parts of a designation such as "58 Alp Ori", "Kap1 Scl", "33 Psc" or
// "HR 1 And".
struct Designation {
    std::string_view flamsteed;    // "58"
    const GreekLetter* bayer = nullptr;
    std::string_view component;    // "1" of "Kap1"
    std::string_view constellation;  // "Ori"
    int hr = 0;                    // of "HR 1 And"
};

Designation ParseDesignation(std::string_view designation)
{
    Designation d;
    std::string_view tokens[4];
    int count = 0;
    std::size_t i = 0;
    while (i < designation.size() && count < 4) {
        while (i < designation.size() && designation[i] == ' ') ++i;
        const std::size_t start = i;
        while (i < designation.size() && designation[i] != ' ') ++i;
        if (i > start) tokens[count++] = designation.substr(start, i - start);
    }
    if (count < 2 || i < designation.size()) return d;
    d.constellation = tokens[count - 1];
    if (tokens[0] == "HR") {
        if (count == 3 && AllDigits(tokens[1]) && tokens[1].size() <= 5)
            d.hr = std::atoi(std::string(tokens[1]).c_str());
        return d;
    }
    for (int k = 0; k < count - 1; ++k) {
        const std::string_view t = tokens[k];
        if (AllDigits(t) && d.flamsteed.empty() && !d.bayer) {
            d.flamsteed = t;
            continue;
        }
        std::size_t letters = 0;
        while (letters < t.size() && !(t[letters] >= '0' && t[letters] <= '9')) ++letters;
        const std::string_view digits = t.substr(letters);
        if (!d.bayer && (digits.empty() || AllDigits(digits))) {
            if (const GreekLetter* g = GreekByCatalogueForm(t.substr(0, letters))) {
                d.bayer = g;
                d.component = digits;
                continue;
            }
        }
        return Designation{};  // a form we do not know: only written as it is
    }
    return d;
}

std::string Joined(std::initializer_list<std::string_view> parts)
{
    std::string s;
    for (const std::string_view p : parts) s += p;
    return s;
}

// Eight bytes of `text` from `from` on as one big-endian number, padded
// with zeros.
std::uint64_t Word(std::string_view text, std::size_t from)
{
    std::uint64_t word = 0;
    for (std::size_t k = from; k < from + 8; ++k)
        word = (word << 8) | (k < text.size() ? static_cast<unsigned char>(text[k]) : 0u);
    return word;
}

}  // namespace

// ---------------------------------------------------------------- folding

std::string FoldName(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) AppendFolded(NextCodePoint(text, i), out);
    return out;
}

std::string BayerName(const StarRecord& star)
{
    const Designation d = ParseDesignation(star.designation);
    const std::string_view genitive = GenitiveOf(d.constellation);
    if (!d.bayer || genitive.empty()) return {};
    return Joined({d.bayer->latin, d.component, " ", genitive});
}

namespace {

int HarvardRevisedNumber(const StarRecord& star, const Designation& d)
{
    constexpr int kLastPageOfStars = 9999;  // Messier pages are numbered above
    if (d.hr > 0) return d.hr;
    if (star.infoPageId > 0 && star.infoPageId <= kLastPageOfStars) return star.infoPageId;
    return 0;
}

}  // namespace

int HarvardRevisedNumber(const StarRecord& star)
{
    return HarvardRevisedNumber(star, ParseDesignation(star.designation));
}

std::string ObjectName(const SkyCatalogue& catalogue, ObjectRef object,
                       const DeepSkyCatalogue* deepSky)
{
    switch (object.kind) {
    case ObjectKind::kHipStar:
        if (!deepSky || object.index < 0 || static_cast<std::size_t>(object.index) >= deepSky->stars.size())
            return {};
        return "HIP " + std::to_string(deepSky->stars[static_cast<std::size_t>(object.index)].hip);
    case ObjectKind::kNgcObject:
        if (!deepSky || object.index < 0 || static_cast<std::size_t>(object.index) >= deepSky->objects.size())
            return {};
        return DeepSkyCatalogue::DisplayDesignation(
            deepSky->objects[static_cast<std::size_t>(object.index)].designation);
    case ObjectKind::kBody:
        return engine::BodyName(object.index);
    case ObjectKind::kMessier:
        if (object.index < 0 || object.index >= std::min(catalogue.deepSkyCount, kDeepSkyCapacity))
            return {};
        return std::string(1, 'M').append(std::to_string(object.index + 1));
    case ObjectKind::kStar: {
        if (object.index < 0 || object.index >= std::min(catalogue.starCount, kStarCapacity))
            return {};
        const StarRecord& star = catalogue.stars[static_cast<std::size_t>(object.index)];
        return Windows1252ToUtf8(Trimmed(IsBlank(star.properName) ? star.designation
                                                                  : star.properName));
    }
    }
    return {};
}

// ------------------------------------------------------------------ index

NameIndex::NameIndex()
{
    AddBodies();
    Finish();
}

NameIndex::NameIndex(const SkyCatalogue& catalogue, std::shared_ptr<const DeepSkyCatalogue> deepSky)
    : deep_(std::move(deepSky))
{
    const int stars = std::clamp(catalogue.starCount, 0, kStarCapacity);
    const int messier = std::clamp(catalogue.deepSkyCount, 0, kDeepSkyCapacity);
    // About four names a star, and some 22 bytes of text a name.
    constexpr std::size_t kNamesPerStar = 4;
    constexpr std::size_t kNamesPerMessier = 4;
    constexpr std::size_t kTextPerName = 22;
    entries_.reserve(static_cast<std::size_t>(stars) * kNamesPerStar +
                     static_cast<std::size_t>(messier) * kNamesPerMessier + engine::kBodyCount);
    text_.reserve(entries_.capacity() * kTextPerName);
    AddBodies();
    for (int row = 0; row < messier; ++row)
        AddMessier(catalogue.deepSky[static_cast<std::size_t>(row)], row);
    for (int row = 0; row < stars; ++row)
        AddStar(catalogue.stars[static_cast<std::size_t>(row)], row);
    messierCount_ = messier;
    if (deep_) {
        starRowOfHr_.reserve(static_cast<std::size_t>(stars));
        for (int row = 0; row < stars; ++row)
            if (const int hr = HarvardRevisedNumber(catalogue.stars[static_cast<std::size_t>(row)]); hr > 0)
                starRowOfHr_.emplace_back(hr, row);
        std::sort(starRowOfHr_.begin(), starRowOfHr_.end());
        AddDeepSky(*deep_, messier);
    }
    Finish();
}

void NameIndex::AddDeepSky(const DeepSkyCatalogue& deep, int messierCount)
{
    const auto addNames = [&](std::string_view names, ObjectKind kind, int index, std::uint16_t rank) {
        while (!names.empty()) {
            const std::size_t comma = names.find(',');
            const std::string_view name = Trimmed(names.substr(0, comma));
            if (!name.empty()) Add(name, kind, index, rank);
            if (comma == std::string_view::npos) break;
            names.remove_prefix(comma + 1);
        }
    };
    entries_.reserve(entries_.size() + deep.objects.size() + deep.messierNames.size());
    for (std::size_t i = 0; i < deep.objects.size(); ++i) {
        const DeepObject& o = deep.objects[i];
        const int row = static_cast<int>(i);
        // The designation for completion; Find reads designations itself.
        Add(DeepSkyCatalogue::DisplayDesignation(o.designation), ObjectKind::kNgcObject, row,
            kNgcObjectRank);
        addNames(o.commonNames, ObjectKind::kNgcObject, row, kNgcObjectRank);
    }
    // The OpenNGC names of the Messier objects lead to the main catalogue's.
    for (const MessierCrossName& m : deep.messierNames)
        if (m.messier <= messierCount)
            addNames(m.commonNames, ObjectKind::kMessier, m.messier - 1,
                     static_cast<std::uint16_t>(kFirstMessierRank + m.messier - 1));
}

std::optional<ObjectRef> NameIndex::FindDesignation(std::string_view folded) const
{
    if (!deep_) return std::nullopt;
    const auto d = ParseCatalogueDesignation(folded);
    if (!d) return std::nullopt;
    if (d->catalogue == CatalogueDesignation::Catalogue::kHip) {
        if (const int row = deep_->StarByHip(d->number); row >= 0) return ObjectRef{ObjectKind::kHipStar, row};
        const auto hr = static_cast<int>(deep_->HrOfHip(d->number));
        const auto it = std::lower_bound(starRowOfHr_.begin(), starRowOfHr_.end(), std::pair{hr, -1});
        if (hr > 0 && it != starRowOfHr_.end() && it->first == hr) return ObjectRef{ObjectKind::kStar, it->second};
        return std::nullopt;
    }
    const DeepSkyCatalogue::Found found = deep_->FindDesignation(*d);
    if (found.object >= 0) return ObjectRef{ObjectKind::kNgcObject, found.object};
    if (found.messier > 0 && found.messier <= messierCount_) return ObjectRef{ObjectKind::kMessier, found.messier - 1};
    return std::nullopt;
}

NamesOnDemand::NamesOnDemand(std::shared_ptr<const SkyCatalogue> catalogue,
                             std::shared_ptr<const DeepSkyCatalogue> deepSky)
    : state_(std::make_shared<State>())
{
    state_->catalogue = std::move(catalogue);
    state_->deepSky = std::move(deepSky);
}

NamesOnDemand NamesOnDemand::BodiesOnly() { return NamesOnDemand(nullptr); }

const NameIndex& NamesOnDemand::operator*() const
{
    std::call_once(state_->once, [state = state_.get()] {
        state->index = state->catalogue ? std::make_unique<const NameIndex>(*state->catalogue, state->deepSky)
                                        : std::make_unique<const NameIndex>();
        state->built.store(true, std::memory_order_release);
    });
    return *state_->index;
}

bool NamesOnDemand::Built() const
{
    return state_ && state_->built.load(std::memory_order_acquire);
}

void NameIndex::Add(std::string_view name, ObjectKind kind, int index, std::uint16_t rank,
                    bool primaryOnly)
{
    constexpr std::size_t kLongest = 255;
    Entry e{};
    // The folded key goes straight into the text, the name as written after it.
    e.keyOffset = static_cast<std::uint32_t>(text_.size());
    std::size_t i = 0;
    while (i < name.size()) {
        // Nearly every name is plain ASCII: letters and digits straight in.
        const auto byte = static_cast<unsigned char>(name[i]);
        if (byte < 0x80) {
            if (byte >= 'A' && byte <= 'Z') text_ += static_cast<char>(byte | 0x20);
            else if ((byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9')) text_ += static_cast<char>(byte);
            ++i;
            continue;
        }
        AppendFolded(NextCodePoint(name, i), text_);
    }
    const std::size_t keyLength = std::min(text_.size() - e.keyOffset, kLongest);
    text_.resize(e.keyOffset + keyLength);
    if (keyLength == 0) return;
    const std::string_view key(text_.data() + e.keyOffset, keyLength);
    e.head = Word(key, 0);
    e.next = Word(key, 8);
    name = name.substr(0, kLongest);
    text_ += name;
    e.keyLength = static_cast<std::uint8_t>(keyLength);
    e.nameLength = static_cast<std::uint8_t>(name.size());
    e.index = index;
    e.rank = rank;
    e.kind = kind;
    e.primaryOnly = primaryOnly;
    entries_.push_back(e);
}

void NameIndex::Add(std::initializer_list<std::string_view> parts, ObjectKind kind, int index,
                    std::uint16_t rank, bool primaryOnly)
{
    scratch_.clear();
    for (const std::string_view part : parts) scratch_ += part;
    Add(scratch_, kind, index, rank, primaryOnly);
}

void NameIndex::AddWindows1252(std::string_view text, ObjectKind kind, int index,
                               std::uint16_t rank)
{
    // Into a buffer kept from name to name: no allocation per star.
    converted_.clear();
    for (const char c : text) AppendUtf8(Windows1252ToUnicode(static_cast<unsigned char>(c)), converted_);
    Add(converted_, kind, index, rank);
}

void NameIndex::AddBodies()
{
    // The Earth has no place in our sky and Pluto is never computed.
    for (int body = 0; body < engine::kBodyCount; ++body) {
        if (body == engine::kEarth || body == engine::kPluto) continue;
        Add(engine::BodyName(body), ObjectKind::kBody, body, static_cast<std::uint16_t>(body));
    }
}

void NameIndex::AddMessier(const DeepSkyObject& object, int row)
{
    const std::uint16_t rank = static_cast<std::uint16_t>(kFirstMessierRank + row);
    const std::string number = std::to_string(row + 1);
    Add("M" + number, ObjectKind::kMessier, row, rank);
    Add("Messier " + number, ObjectKind::kMessier, row, rank);
    // "Open cluster in Cygnus" describes an object without naming it.
    const std::string name = Windows1252ToUtf8(Trimmed(object.name));
    if (!name.empty() && name.find(" in ") == std::string::npos)
        Add(name, ObjectKind::kMessier, row, rank);
    // "5194/5" is NGC 5194 (and 5195).
    std::size_t digits = 0;
    const std::string_view ngc = Trimmed(object.ngc);
    while (digits < ngc.size() && ngc[digits] >= '0' && ngc[digits] <= '9') ++digits;
    if (digits > 0) Add({"NGC ", ngc.substr(0, digits)}, ObjectKind::kMessier, row, rank);
}

void NameIndex::AddStar(const StarRecord& star, int row)
{
    const std::uint16_t rank = StarRank(star.magnitude);
    const auto add = [&](std::initializer_list<std::string_view> parts, bool primaryOnly = false) {
        Add(parts, ObjectKind::kStar, row, rank, primaryOnly);
    };

    if (!IsBlank(star.properName))
        AddWindows1252(Trimmed(star.properName), ObjectKind::kStar, row, rank);
    const std::string_view designation = Trimmed(star.designation);
    if (!designation.empty()) AddWindows1252(designation, ObjectKind::kStar, row, rank);
    char number[16];
    const auto decimal = [&](int n) {
        return std::string_view(number, static_cast<std::size_t>(
                                            std::to_chars(number, number + sizeof number, n).ptr -
                                            number));
    };
    if (star.sao > 0) add({"SAO ", decimal(star.sao)});
    const Designation d = ParseDesignation(designation);
    const int hr = HarvardRevisedNumber(star, d);
    if (hr > 0) add({"HR ", decimal(hr)});

    if (d.constellation.empty()) return;
    const std::string_view genitive = GenitiveOf(d.constellation);
    if (!d.flamsteed.empty()) {
        add({d.flamsteed, " ", d.constellation});
        if (!genitive.empty()) add({d.flamsteed, " ", genitive});
    }
    if (d.bayer) {
        // With and without the component number: "Alpha Centauri" is the
        // brighter of Alpha-1 and Alpha-2 Centauri.
        for (const bool withComponent : {true, false}) {
            if (!withComponent && d.component.empty()) break;
            const std::string_view c = withComponent ? d.component : std::string_view{};
            const bool primaryOnly = !withComponent;
            // The catalogue's form is the designation itself when there
            // is no Flamsteed number, and the three-letter form of star
            // catalogues often the same letters ("eta", "tau").
            if (!withComponent || !d.flamsteed.empty())
                add({d.bayer->catalogue, c, " ", d.constellation}, primaryOnly);
            if (!SameLetters(d.bayer->iau, d.bayer->catalogue))
                add({d.bayer->iau, c, " ", d.constellation}, primaryOnly);
            add({d.bayer->latin, c, " ", d.constellation}, primaryOnly);
            if (!genitive.empty()) add({d.bayer->latin, c, " ", genitive}, primaryOnly);
        }
    }
}

bool NameIndex::Before(const Entry& a, std::string_view aKey, const Entry& b, std::string_view bKey)
{
    if (a.head != b.head) return a.head < b.head;
    if (a.next != b.next) return a.next < b.next;
    // The same first sixteen letters: the rest decides, if there is one.
    constexpr std::size_t kWords = 16;
    if (aKey.size() > kWords || bKey.size() > kWords) {
        const std::string_view aRest = aKey.substr(std::min(kWords, aKey.size()));
        const std::string_view bRest = bKey.substr(std::min(kWords, bKey.size()));
        if (const int c = aRest.compare(bRest); c != 0) return c < 0;
    }
    if (a.rank != b.rank) return a.rank < b.rank;
    if (a.kind != b.kind) return a.kind < b.kind;
    return a.index < b.index;
}

void NameIndex::Finish()
{
    // A sort moves what it sorts many times over: it sorts a compact key
    // of sixteen bytes (the first twelve letters and where the entry is),
    // and the entries are moved once, into their order.
    struct SortKey {
        std::uint64_t head;  // letters 1 to 8
        std::uint64_t tail;  // letters 9 to 12, then the entry's place
    };
    std::vector<SortKey> keys(entries_.size());
    constexpr std::uint64_t kPlace = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < entries_.size(); ++i)
        keys[i] = {entries_[i].head, (entries_[i].next & ~kPlace) | i};
    std::sort(keys.begin(), keys.end(), [this](const SortKey& a, const SortKey& b) {
        // Nearly all names differ within their first twelve letters.
        if (a.head != b.head) return a.head < b.head;
        if ((a.tail ^ b.tail) > kPlace) return a.tail < b.tail;
        const Entry& x = entries_[a.tail & kPlace];
        const Entry& y = entries_[b.tail & kPlace];
        if (x.next != y.next) return x.next < y.next;
        return Before(x, Key(x), y, Key(y));
    });
    // One entry per name and object; a name that only the best-ranked
    // object may carry is dropped from the others.
    std::vector<Entry> sorted;
    sorted.reserve(entries_.size());
    for (const SortKey& key : keys) {
        const Entry& e = entries_[key.tail & kPlace];
        if (!sorted.empty()) {
            const Entry& previous = sorted.back();
            if (SameKey(previous, e)) {
                const bool sameObject = previous.kind == e.kind && previous.index == e.index;
                if (sameObject || e.primaryOnly) continue;
            }
        }
        sorted.push_back(e);
    }
    entries_.swap(sorted);
}

bool NameIndex::SameKey(const Entry& a, const Entry& b) const
{
    constexpr std::size_t kWords = 16;  // what head and next hold
    if (a.head != b.head || a.next != b.next) return false;
    if (a.keyLength <= kWords && b.keyLength <= kWords) return true;
    return Key(a).substr(std::min<std::size_t>(kWords, a.keyLength)) ==
           Key(b).substr(std::min<std::size_t>(kWords, b.keyLength));
}

std::size_t NameIndex::LowerBound(std::string_view key) const
{
    const std::uint64_t head = Word(key, 0);
    const std::uint64_t next = Word(key, 8);
    // Before every entry of an equal key: the smallest rank, kind and index.
    const auto it = std::lower_bound(entries_.begin(), entries_.end(), key,
                                     [&](const Entry& e, std::string_view k) {
                                         if (e.head != head) return e.head < head;
                                         if (e.next != next) return e.next < next;
                                         return Key(e) < k;
                                     });
    return static_cast<std::size_t>(it - entries_.begin());
}

std::optional<ObjectRef> NameIndex::Find(std::string_view name) const
{
    const std::string key = FoldName(name);
    if (key.empty()) return std::nullopt;
    const std::size_t i = LowerBound(key);
    if (i < entries_.size() && Key(entries_[i]) == key)
        return ObjectRef{entries_[i].kind, entries_[i].index};
    return FindDesignation(key);
}

void NameIndex::Complete(std::string_view prefix, std::size_t limit,
                         std::vector<NameMatch>& out) const
{
    out.clear();
    const std::string key = FoldName(prefix);
    if (key.empty() || limit == 0) return;
    for (std::size_t i = LowerBound(key); i < entries_.size() && out.size() < limit; ++i) {
        const Entry& e = entries_[i];
        if (Key(e).substr(0, key.size()) != key) break;
        const ObjectRef object{e.kind, e.index};
        const bool seen = std::any_of(out.begin(), out.end(),
                                      [&](const NameMatch& m) { return m.object == object; });
        if (!seen) out.push_back({std::string(Name(e)), object});
    }
}

namespace {

// Letters to insert, delete, replace or swap to turn one text into the
// other (optimal string alignment), or `bound` + 1 when that is more.
std::size_t EditDistance(std::string_view a, std::string_view b, std::size_t bound)
{
    if (a.size() > b.size() + bound || b.size() > a.size() + bound) return bound + 1;
    std::vector<std::size_t> before(b.size() + 1), previous(b.size() + 1), current(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) previous[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        current[0] = i;
        std::size_t rowBest = current[0];
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t cost = a[i - 1] == b[j - 1] ? 0 : 1;
            std::size_t d = std::min({previous[j] + 1, current[j - 1] + 1, previous[j - 1] + cost});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d = std::min(d, before[j - 2] + 1);
            current[j] = d;
            rowBest = std::min(rowBest, d);
        }
        if (rowBest > bound) return bound + 1;
        before.swap(previous);
        previous.swap(current);
    }
    return previous[b.size()];
}

}  // namespace

std::vector<NameMatch> NameIndex::Closest(std::string_view name, std::size_t limit) const
{
    std::vector<NameMatch> found;
    Complete(name, limit, found);
    const std::string key = FoldName(name);
    if (found.size() >= limit || key.empty()) return found;

    // Then names a few letters away: at most a third of the name wrong.
    const std::size_t bound = std::max<std::size_t>(2, key.size() / 3);
    struct Candidate {
        std::size_t distance;
        std::size_t entry;
    };
    std::vector<Candidate> candidates;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const std::size_t d = EditDistance(key, Key(entries_[i]), bound);
        if (d <= bound) candidates.push_back({d, i});
    }
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const Candidate& a, const Candidate& b) { return a.distance < b.distance; });
    for (const Candidate& c : candidates) {
        if (found.size() >= limit) break;
        const Entry& e = entries_[c.entry];
        const ObjectRef object{e.kind, e.index};
        const bool seen = std::any_of(found.begin(), found.end(),
                                      [&](const NameMatch& m) { return m.object == object; });
        if (!seen) found.push_back({std::string(Name(e)), object});
    }
    return found;
}

}  // namespace skyvane::skydata
