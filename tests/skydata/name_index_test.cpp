// Finding objects by the names people type, in a small catalogue of our own
// and in the real data file.
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <thread>

#include "engine/body.h"
#include "skydata/catalogue.h"
#include "skydata/data_file.h"
#include "skydata/name_index.h"
#include "skydata/sky_data.h"
#include "test_files.h"

namespace skyvane::skydata {
namespace {

ObjectRef Star(int row) { return {ObjectKind::kStar, row}; }
ObjectRef Messier(int row) { return {ObjectKind::kMessier, row}; }
ObjectRef Body(int body) { return {ObjectKind::kBody, body}; }

std::string StarRecordText(double dec, double ra, int sao, double magnitude,
                           std::string_view properName, std::string_view designation, int page)
{
    char numbers[96];
    std::snprintf(numbers, sizeof numbers, "%.6f|%.6f|%d|%.2f|", dec, ra, sao, magnitude);
    return "S|x|" + std::string(numbers) + "A0|" + std::string(properName) + "|" +
           std::string(designation) + "|" + std::to_string(page) + "|1|;\r\n";
}

// Rows: 0 Betelgeuse, 1 Sirius, 2 and 3 the Alpha Centauri pair (the first
// the brighter), 4 a star known by its HR number only, 5 a star whose name
// carries an accent (Windows-1252), 6 a second star of the same name as 5,
// fainter.
std::unique_ptr<SkyCatalogue> SmallCatalogue()
{
    std::string text;
    text += StarRecordText(7.4, 5.92, 113271, 0.5, "Betelgeuse", "58 Alp Ori", 2061);
    text += StarRecordText(-16.7, 6.75, 151881, -1.46, "Sirius", "9 Alp CMa", 2491);
    text += StarRecordText(-60.8, 14.66, 252838, -0.01, "Rigil Kentaurus", "Alp1 Cen", 5459);
    text += StarRecordText(-60.8, 14.66, 252839, 1.33, "", "Alp2 Cen", 5460);
    text += StarRecordText(45.2, 0.09, 36042, 6.7, "", "HR 1 And", 1);
    text += StarRecordText(-4.0, 4.5, 131000, 4.9, "Cital\xE1", "Eps Eri", 1084);
    text += StarRecordText(-5.0, 4.6, 131001, 5.9, "Cital\xE1", "Eta Eri", 874);
    text += "M|x|22.0167|5.575|1952|Crab Nebula|8.4|6x4|6.5|10001|1|;\r\n";
    text += "M|x|-0.8167|21.558|7089|Globular cluster in Aquarius|6.5|13|37.5|10002|1|;\r\n";
    auto catalogue = std::make_unique<SkyCatalogue>();
    ParseCatalogue(text, *catalogue);
    return catalogue;
}

TEST(FoldNameTest, CaseAccentsBlanksAndPunctuationDoNotCount)
{
    EXPECT_EQ(FoldName("Betelgeuse"), "betelgeuse");
    EXPECT_EQ(FoldName("  BETEL geuse "), "betelgeuse");
    EXPECT_EQ(FoldName("Zubenélgenubi"), "zubenelgenubi");
    EXPECT_EQ(FoldName("Boötis"), "bootis");
    EXPECT_EQ(FoldName("Ptolemy's Cluster"), "ptolemyscluster");
    EXPECT_EQ(FoldName("mu. Cep"), "mucep");
    EXPECT_EQ(FoldName("m 42"), FoldName("M42"));
    EXPECT_EQ(FoldName("Æsir Œuvre ß"), "aesiroeuvress");
}

TEST(FoldNameTest, GreekLettersReadAsTheirNames)
{
    EXPECT_EQ(FoldName("α Ori"), "alphaori");
    EXPECT_EQ(FoldName("Α Ori"), "alphaori");  // the capital
    EXPECT_EQ(FoldName("θ¹ Ori"), "theta1ori");
    EXPECT_EQ(FoldName("ϑ Ori"), "thetaori");
    EXPECT_EQ(FoldName("ς"), "sigma");
}

TEST(FoldNameTest, BytesThatAreNotUtf8ReadAsWindows1252)
{
    EXPECT_EQ(FoldName("Cital\xE1"), "citala");
    EXPECT_EQ(FoldName("Cital\xC3\xA1"), "citala");
    // A lone continuation byte, a truncated sequence, an overlong form.
    EXPECT_EQ(FoldName("a\x80" "b\xC3"), "aba");  // the euro sign counts for nothing
    EXPECT_EQ(FoldName("\xC0\xAF" "x"), "ax");
    EXPECT_EQ(Windows1252ToUtf8("Cital\xE1 \x80"), "Cital\xC3\xA1 \xE2\x82\xAC");
    // A byte Windows-1252 leaves undefined is kept, as everywhere else we
    // show catalogue text, and counts for nothing in a name.
    EXPECT_EQ(Windows1252ToUtf8("M\x81"), "M\xC2\x81");
    EXPECT_EQ(FoldName("M\x81" "1"), "m1");
}

class SmallIndexTest : public ::testing::Test {
protected:
    std::unique_ptr<SkyCatalogue> catalogue = SmallCatalogue();
    NameIndex index{*catalogue};
};

TEST_F(SmallIndexTest, ProperNamesWhateverTheirCase)
{
    EXPECT_EQ(index.Find("Betelgeuse"), Star(0));
    EXPECT_EQ(index.Find("betelgeuse"), Star(0));
    EXPECT_EQ(index.Find("SIRIUS"), Star(1));
    EXPECT_EQ(index.Find("Rigil Kentaurus"), Star(2));
    EXPECT_EQ(index.Find("rigilkentaurus"), Star(2));
}

TEST_F(SmallIndexTest, AccentedNamesWithAndWithoutTheirAccents)
{
    // Two stars share the name: the brighter one is meant.
    EXPECT_EQ(index.Find("Citalá"), Star(5));
    EXPECT_EQ(index.Find("citala"), Star(5));
}

TEST_F(SmallIndexTest, BayerAndFlamsteedInTheFormsPeopleType)
{
    for (const char* name : {"Alpha Orionis", "alpha orionis", "alf Ori", "Alp Ori", "α Ori",
                             "Alpha Ori", "58 Ori", "58 Orionis", "58 Alp Ori"})
        EXPECT_EQ(index.Find(name), Star(0)) << name;
    for (const char* name : {"alf CMa", "Alpha Canis Majoris", "9 CMa", "α CMa"})
        EXPECT_EQ(index.Find(name), Star(1)) << name;
    EXPECT_EQ(index.Find("eps Eri"), Star(5));
    EXPECT_EQ(index.Find("Epsilon Eridani"), Star(5));
}

TEST_F(SmallIndexTest, ComponentsAndThePairWithoutItsNumber)
{
    EXPECT_EQ(index.Find("alf1 Cen"), Star(2));
    EXPECT_EQ(index.Find("Alpha2 Centauri"), Star(3));
    EXPECT_EQ(index.Find("α² Cen"), Star(3));
    // Without the number: the brighter of the two.
    EXPECT_EQ(index.Find("Alpha Centauri"), Star(2));
    EXPECT_EQ(index.Find("alf Cen"), Star(2));
}

TEST_F(SmallIndexTest, CatalogueNumbers)
{
    EXPECT_EQ(index.Find("HR 2061"), Star(0));
    EXPECT_EQ(index.Find("hr2491"), Star(1));
    EXPECT_EQ(index.Find("HR 1"), Star(4));
    EXPECT_EQ(index.Find("HR 1 And"), Star(4));
    EXPECT_EQ(index.Find("SAO 113271"), Star(0));
    EXPECT_EQ(index.Find("sao 151881"), Star(1));
    EXPECT_FALSE(index.Find("SAO 1"));
    EXPECT_FALSE(index.Find("HR 9999"));
}

TEST_F(SmallIndexTest, MessierObjects)
{
    for (const char* name : {"M1", "m 1", "M 1", "Messier 1", "NGC 1952", "Crab Nebula"})
        EXPECT_EQ(index.Find(name), Messier(0)) << name;
    EXPECT_EQ(index.Find("M2"), Messier(1));
    EXPECT_EQ(index.Find("NGC 7089"), Messier(1));
    // A description is not a name.
    EXPECT_FALSE(index.Find("Globular cluster in Aquarius"));
    EXPECT_FALSE(index.Find("M3"));
}

TEST_F(SmallIndexTest, TheSunTheMoonAndThePlanets)
{
    EXPECT_EQ(index.Find("Sun"), Body(engine::kSun));
    EXPECT_EQ(index.Find("moon"), Body(engine::kMoon));
    EXPECT_EQ(index.Find("JUPITER"), Body(engine::kJupiter));
    EXPECT_EQ(index.Find("Neptune"), Body(engine::kNeptune));
    // No place in our sky, or never computed.
    EXPECT_FALSE(index.Find("Earth"));
    EXPECT_FALSE(index.Find("Pluto"));
}

TEST_F(SmallIndexTest, NamesThatFindNothing)
{
    EXPECT_FALSE(index.Find(""));
    EXPECT_FALSE(index.Find("  -- "));
    EXPECT_FALSE(index.Find("Betelgeus"));  // a prefix is not the name
    EXPECT_FALSE(index.Find("Vega"));
    EXPECT_FALSE(index.Find(std::string(1000, 'x')));
}

TEST_F(SmallIndexTest, CompletionListsEachObjectOnceInNameOrder)
{
    std::vector<NameMatch> found;
    index.Complete("alf", 10, found);
    // "alf Cen" is another name of alf1 Cen, which is listed already.
    ASSERT_EQ(found.size(), 4u);
    EXPECT_EQ(found[0].object, Star(2));
    EXPECT_EQ(found[0].name, "alf1 Cen");
    EXPECT_EQ(found[1].object, Star(3));
    EXPECT_EQ(found[1].name, "alf2 Cen");
    EXPECT_EQ(found[2].name, "alf CMa");
    EXPECT_EQ(found[3].name, "alf Ori");

    index.Complete("S", 10, found);
    std::vector<std::string> names;
    for (const NameMatch& m : found) names.push_back(m.name);
    // Sirius is listed once, under "SAO 151881", the first of its names.
    EXPECT_EQ(names, (std::vector<std::string>{"SAO 113271", "SAO 131000", "SAO 131001",
                                               "SAO 151881", "SAO 252838", "SAO 252839", "SAO 36042",
                                               "Saturn", "Sun"}));
}

TEST_F(SmallIndexTest, CompletionKeepsToItsLimitAndIgnoresAnEmptyPrefix)
{
    std::vector<NameMatch> found{{"left over", Star(0)}};
    index.Complete("s", 3, found);
    EXPECT_EQ(found.size(), 3u);
    index.Complete("", 10, found);
    EXPECT_TRUE(found.empty());
    index.Complete("   ", 10, found);
    EXPECT_TRUE(found.empty());
    index.Complete("Ju", 0, found);
    EXPECT_TRUE(found.empty());
}

TEST_F(SmallIndexTest, CompletionWritesNamesAsUtf8)
{
    std::vector<NameMatch> found;
    index.Complete("cital", 5, found);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].name, "Cital\xC3\xA1");
    EXPECT_EQ(found[0].object, Star(5));
    EXPECT_EQ(found[1].object, Star(6));
}

TEST_F(SmallIndexTest, ClosestNamesForATypo)
{
    const std::vector<NameMatch> closest = index.Closest("Betelguese", 3);
    ASSERT_FALSE(closest.empty());
    EXPECT_EQ(closest[0].object, Star(0));
    EXPECT_EQ(closest[0].name, "Betelgeuse");
    const std::vector<NameMatch> sirius = index.Closest("Sirus", 3);
    ASSERT_FALSE(sirius.empty());
    EXPECT_EQ(sirius[0].name, "Sirius");
    // An unfinished name suggests what it begins.
    EXPECT_EQ(index.Closest("Jupi", 3).at(0).object, Body(engine::kJupiter));
    EXPECT_LE(index.Closest("x", 2).size(), 2u);
}

TEST(NameIndexTest, WithoutACatalogueOnlyTheBodies)
{
    const NameIndex index;
    EXPECT_EQ(index.size(), 9u);
    EXPECT_EQ(index.Find("Venus"), Body(engine::kVenus));
    EXPECT_FALSE(index.Find("Sirius"));
}

TEST(NameIndexTest, RowsBeyondTheCountsAreNotNamed)
{
    auto catalogue = SmallCatalogue();
    catalogue->starCount = 1;
    catalogue->deepSkyCount = 0;
    const NameIndex index(*catalogue);
    EXPECT_EQ(index.Find("Betelgeuse"), Star(0));
    EXPECT_FALSE(index.Find("Sirius"));
    EXPECT_FALSE(index.Find("M1"));
    // Damaged counts read as the tables' capacity at most.
    catalogue->starCount = 1 << 30;
    catalogue->deepSkyCount = -5;
    const NameIndex damaged(*catalogue);
    EXPECT_EQ(damaged.Find("Sirius"), Star(1));
}

TEST(NameIndexTest, ObjectNamesAndBayerNames)
{
    const auto catalogue = SmallCatalogue();
    EXPECT_EQ(ObjectName(*catalogue, Star(0)), "Betelgeuse");
    EXPECT_EQ(ObjectName(*catalogue, Star(3)), "Alp2 Cen");
    EXPECT_EQ(ObjectName(*catalogue, Star(5)), "Cital\xC3\xA1");
    EXPECT_EQ(ObjectName(*catalogue, Messier(1)), "M2");
    EXPECT_EQ(ObjectName(*catalogue, Body(engine::kMoon)), "Moon");
    EXPECT_EQ(ObjectName(*catalogue, Star(7)), "");
    EXPECT_EQ(ObjectName(*catalogue, Messier(-1)), "");
    EXPECT_EQ(BayerName(catalogue->stars[1]), "Alpha Canis Majoris");
    EXPECT_EQ(BayerName(catalogue->stars[3]), "Alpha2 Centauri");
    EXPECT_EQ(BayerName(catalogue->stars[4]), "");
    EXPECT_EQ(HarvardRevisedNumber(catalogue->stars[4]), 1);
    EXPECT_EQ(HarvardRevisedNumber(catalogue->stars[0]), 2061);
}

// The data file every build packs: the names a user tries first.
class RealNameIndexTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::vector<unsigned char> bytes;
        ASSERT_TRUE(ReadDataFile(std::filesystem::path(SKYVANE_DATAS_BIN), bytes));
        ASSERT_TRUE(store.Load(bytes));
        data = store.Current();
        ASSERT_TRUE(data->names);
    }

    int StarRow(std::string_view designation) const
    {
        for (int i = 0; i < data->catalogue->starCount; ++i)
            if (data->catalogue->stars[static_cast<std::size_t>(i)].designation == designation)
                return i;
        return -1;
    }

    SkyDataStore store;
    std::shared_ptr<const SkyData> data;
};

TEST_F(RealNameIndexTest, TheFirstNamesUsersTry)
{
    const NameIndex& names = *data->names;
    const int sirius = StarRow("9 Alp CMa");
    ASSERT_GE(sirius, 0);
    for (const char* name : {"Sirius", "sirius", "alf CMa", "Alpha Canis Majoris", "α CMa",
                             "9 CMa", "HR 2491", "SAO 151881"})
        EXPECT_EQ(names.Find(name), Star(sirius)) << name;
    const int betelgeuse = StarRow("58 Alp Ori");
    for (const char* name : {"Betelgeuse", "Alpha Orionis", "alf Ori", "α Ori", "58 Ori",
                             "HR 2061", "SAO 113271"})
        EXPECT_EQ(names.Find(name), Star(betelgeuse)) << name;
    EXPECT_EQ(names.Find("M 31"), Messier(30));
    EXPECT_EQ(names.Find("Andromeda Galaxy"), Messier(30));
    EXPECT_EQ(names.Find("M42"), Messier(41));
    EXPECT_EQ(names.Find("m 42"), Messier(41));
    EXPECT_EQ(names.Find("Orion Nebula"), Messier(41));
    EXPECT_EQ(names.Find("Jupiter"), Body(engine::kJupiter));
}

TEST_F(RealNameIndexTest, EveryStarByItsDesignationAndHrNumber)
{
    // The two components of a double share a designation ("65 Psc"): it
    // finds the brighter one; the HR number tells them apart.
    const SkyCatalogue& c = *data->catalogue;
    int missed = 0;
    for (int i = 0; i < c.starCount; ++i) {
        const StarRecord& star = c.stars[static_cast<std::size_t>(i)];
        const std::optional<ObjectRef> byDesignation = data->names->Find(star.designation);
        const std::optional<ObjectRef> byHr =
            data->names->Find("HR " + std::to_string(HarvardRevisedNumber(star)));
        const bool designationFound =
            byDesignation && byDesignation->kind == ObjectKind::kStar &&
            c.stars[static_cast<std::size_t>(byDesignation->index)].designation == star.designation &&
            c.stars[static_cast<std::size_t>(byDesignation->index)].magnitude <= star.magnitude;
        if (!designationFound || byHr != Star(i))
            if (++missed < 10) ADD_FAILURE() << star.designation << " HR " << HarvardRevisedNumber(star);
    }
    EXPECT_EQ(missed, 0);
}

TEST_F(RealNameIndexTest, TheIndexIsBuiltWhenANameIsFirstAskedFor)
{
    // Loading a data file, as drawing and printing do, builds no index.
    SkyDataStore fresh;
    std::vector<unsigned char> bytes;
    ASSERT_TRUE(ReadDataFile(std::filesystem::path(SKYVANE_DATAS_BIN), bytes));
    ASSERT_TRUE(fresh.Load(bytes));
    const std::shared_ptr<const SkyData> loaded = fresh.Current();
    EXPECT_FALSE(loaded->names.Built());
    // A later snapshot of the same catalogue shares the index to come.
    fresh.ReleasePictures();
    EXPECT_EQ(fresh.Current()->names, loaded->names);

    // The first question builds it, once, for every copy and every thread.
    std::vector<std::thread> askers;
    std::vector<std::optional<ObjectRef>> answers(4);
    for (std::size_t i = 0; i < answers.size(); ++i)
        askers.emplace_back([&, i] { answers[i] = loaded->names->Find("Sirius"); });
    for (std::thread& t : askers) t.join();
    for (const auto& answer : answers) EXPECT_EQ(answer, data->names->Find("alf CMa"));
    EXPECT_TRUE(fresh.Current()->names.Built());
    EXPECT_EQ(&*fresh.Current()->names, &*loaded->names);
}

TEST_F(RealNameIndexTest, AStoreAlwaysPublishesAnIndexOfItsCatalogue)
{
    // The store's first snapshot: only the bodies.
    SkyDataStore empty;
    EXPECT_EQ(empty.Current()->names->Find("Mars"), Body(engine::kMars));
    EXPECT_FALSE(empty.Current()->names->Find("Sirius"));

    // A snapshot handed in without names gets its catalogue's.
    auto next = std::make_shared<SkyData>();
    next->catalogue = data->catalogue;
    empty.Publish(next);
    ASSERT_TRUE(empty.Current()->names);
    EXPECT_TRUE(empty.Current()->names->Find("Sirius"));

    // A second data file shares the first one's catalogue, and its index.
    std::vector<unsigned char> bytes;
    ASSERT_TRUE(ReadDataFile(std::filesystem::path(SKYVANE_DATAS_BIN), bytes));
    ASSERT_TRUE(store.Load(bytes));
    EXPECT_EQ(store.Current()->names, data->names);
}

}  // namespace
}  // namespace skyvane::skydata
