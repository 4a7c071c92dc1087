// The location table in the settings store: first-run lists, the stored
// texts, reading back what is there (or is not), and the editor's data.
#include <array>
#include <cstdlib>
#include <unistd.h>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "engine/sky.h"
#include "places/location_ranges.h"
#include "places/locations.h"
#include "places/windows1252.h"
#include "platform/profile_store.h"

namespace skyvane::places {
namespace {

using engine::Location;
using engine::LocationTable;
using platform::GetProfileInt;
using platform::GetProfileString;
using platform::WriteProfileInt;
using platform::WriteProfileString;

// Every test runs on an INI file of its own, empty at the start.
class LocationStoreTest : public testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        path_ = std::filesystem::temp_directory_path() /
                ("skyvane-locations-" + std::to_string(::getpid()) + "-" + info->test_suite_name() +
                 "-" + info->name() + ".ini");
        std::filesystem::remove(path_);
        platform::UseProfileFile(path_.string());
    }
    void TearDown() override
    {
        platform::UseProfileFile("");
        std::filesystem::remove(path_);
    }

    static std::string Stored(const std::string& key) { return GetProfileString("Location", key); }

    std::filesystem::path path_;
};

// ---- First-run lists ----------------------------------------------------

using List = std::array<Location, engine::kLocationsInUse>;

const List kListA = {{
    {"Thousand Oaks, CA, USA", 118.82333333, 34.21388888, -8.0, 0},
    {"New York, NY, USA", 74.006, 40.714, -5.0, 0},
    {"Zurich, Switzerland", -8.5, 47.32, 1.0, 0},
    {"Sydney, Australia", -151.22, -33.9, 10.0, 0},
    {"North Pole", 0.0, 90.0, 0.0, 0},
}};
const List kListB = {{
    {"Berlin, Deutschland ", -13.4, 52.517, 1.0, 0},
    {"Hamburg, Deutschland", -10.0, 53.55, 1.0, 0},
    {"M\xfcnchen, Deutschland", -11.583, 48.15, 1.0, 0},
    {"Thousand Oaks, California, USA", 118.82333333, 34.21388888, -8.0, 0},
    {"North Pole", 0.0, 90.0, 0.0, 0},
}};
const List kListC = {{
    {"Thousand Oaks, California, USA", 118.82333333, 34.21388888, -8.0, 0},
    {"Zurich, Switzerland", -8.23, 47.3, 1.0, 0},
    {"London, United Kingdom", 0.1275, 51.5, 0.0, 0},
    {"Sydney, Australia", -151.22, -33.9, 10.0, 0},
    {"North Pole", 0.0, 90.0, 0.0, 1},
}};

void ExpectList(const LocationTable& table, const List& expected, const std::string& code)
{
    for (std::size_t n = 0; n < expected.size(); ++n) {
        SCOPED_TRACE("country \"" + code + "\", slot " + std::to_string(n));
        const Location& got = table.entries[n];
        EXPECT_EQ(got.name, expected[n].name);
        EXPECT_EQ(got.longitude, expected[n].longitude);
        EXPECT_EQ(got.latitude, expected[n].latitude);
        EXPECT_EQ(got.timeZone, expected[n].timeZone);
        EXPECT_EQ(got.dst, expected[n].dst);
    }
}

TEST(DefaultLocations, CountryCodeChoosesTheList)
{
    const struct {
        std::string code;
        const List* list;
    } cases[] = {
        {"US", &kListA}, {"CA", &kListA},
        {"DE", &kListB}, {"CH", &kListB}, {"AT", &kListB},
        // Exact, case-sensitive comparison: everything else is list C.
        {"us", &kListC}, {"ca", &kListC}, {"de", &kListC}, {"USA", &kListC},
        {"DE ", &kListC}, {"GB", &kListC}, {"", &kListC},
    };
    for (const auto& c : cases) {
        LocationTable table;
        FillDefaultLocations(table, c.code);
        ExpectList(table, *c.list, c.code);
    }
}

TEST(DefaultLocations, SlotsBeyondThoseInUseAreLeftAlone)
{
    LocationTable table;
    table.entries[5] = {"Spare", 1, 2, 3, 1};
    table.entries[9] = {"Last", 4, 5, 6, 0};
    FillDefaultLocations(table, "US");
    EXPECT_EQ(table.entries[5].name, "Spare");
    EXPECT_EQ(table.entries[5].timeZone, 3);
    EXPECT_EQ(table.entries[9].name, "Last");
}

// ---- Stored texts -------------------------------------------------------

TEST_F(LocationStoreTest, SavedDefaultsUseFourDecimalsForAnglesAndOneForTheZone)
{
    LocationTable table;
    FillDefaultLocations(table, "US");
    SaveLocations(table);

    EXPECT_EQ(GetProfileInt("Location", "datasaved"), 1);
    EXPECT_EQ(Stored("location0"), "Thousand Oaks, CA, USA");
    EXPECT_EQ(Stored("longitude0"), "118.8233");
    EXPECT_EQ(Stored("latitude0"), "34.2139");  // rounded, not cut
    EXPECT_EQ(Stored("timezone0"), "-8.0");
    EXPECT_EQ(Stored("longitude1"), "74.0060");
    EXPECT_EQ(Stored("longitude2"), "-8.5000");  // east is negative
    EXPECT_EQ(Stored("longitude3"), "-151.2200");
    EXPECT_EQ(Stored("latitude3"), "-33.9000");  // south is negative
    EXPECT_EQ(Stored("timezone3"), "10.0");
    EXPECT_EQ(Stored("longitude4"), "0.0000");
    EXPECT_EQ(Stored("latitude4"), "90.0000");
    EXPECT_EQ(Stored("timezone4"), "0.0");
    for (int n = 0; n < 5; ++n) EXPECT_EQ(GetProfileInt("Location", "DLS" + std::to_string(n), -1), 0);
}

TEST_F(LocationStoreTest, OnlyTheSlotsInUseAreWritten)
{
    LocationTable table;
    FillDefaultLocations(table, "");
    table.entries[5] = {"Spare", 1, 2, 3, 1};
    SaveLocations(table);
    EXPECT_EQ(GetProfileInt("Location", "DLS4"), 1);  // list C's North Pole
    EXPECT_EQ(Stored("location5"), "");
    EXPECT_EQ(Stored("longitude5"), "");
    EXPECT_EQ(GetProfileInt("Location", "DLS5", -1), -1);
}

TEST_F(LocationStoreTest, NamesKeepTheirLettersAndBlanksThroughTheStore)
{
    LocationTable table;
    FillDefaultLocations(table, "DE");
    SaveLocations(table);
    // The store holds Unicode text, not the Windows-1252 byte.
    EXPECT_EQ(Stored("location2"), "M\xc3\xbc" "nchen, Deutschland");

    LocationTable loaded;
    LoadLocations(loaded);
    EXPECT_EQ(loaded.entries[0].name, "Berlin, Deutschland ");  // trailing blank kept
    EXPECT_EQ(loaded.entries[2].name, "M\xfcnchen, Deutschland");
}

TEST_F(LocationStoreTest, SavedTableReadsBackRoundedToTheStoredDecimals)
{
    LocationTable table;
    FillDefaultLocations(table, "DE");
    table.entries[1] = {"Half hour zone", -0.00004, -0.00006, 5.75, 1};
    SaveLocations(table);

    LocationTable loaded;
    LoadLocations(loaded);
    EXPECT_EQ(loaded.entries[0].longitude, -13.4);
    EXPECT_EQ(loaded.entries[0].latitude, 52.517);
    EXPECT_EQ(loaded.entries[2].longitude, -11.583);
    EXPECT_EQ(loaded.entries[3].longitude, 118.8233);
    EXPECT_EQ(loaded.entries[3].latitude, 34.2139);
    EXPECT_EQ(loaded.entries[3].timeZone, -8.0);
    // One decimal for the zone: 5.75 is stored as "5.8" (5.75 is exact, so
    // printf's round-half-even would give 5.8 as well).
    EXPECT_EQ(Stored("timezone1"), "5.8");
    EXPECT_EQ(loaded.entries[1].timeZone, 5.8);
    EXPECT_EQ(loaded.entries[1].longitude, 0.0);
    EXPECT_EQ(loaded.entries[1].latitude, -0.0001);
    EXPECT_EQ(loaded.entries[1].dst, 1);
}

// ---- Reading what is there ----------------------------------------------

TEST_F(LocationStoreTest, AnEmptyStoreReadsAsEmptyNamesAndTheFirstRunPlaces)
{
    LocationTable table;
    FillDefaultLocations(table, "US");  // values that must all be replaced
    LoadLocations(table);
    LocationTable firstRun;
    FillDefaultLocations(firstRun, "");  // no country stored
    for (int n = 0; n < 5; ++n) {
        SCOPED_TRACE(n);
        const Location& l = table.entries[static_cast<std::size_t>(n)];
        const Location& d = firstRun.entries[static_cast<std::size_t>(n)];
        EXPECT_EQ(l.name, "");
        EXPECT_EQ(l.longitude, d.longitude);
        EXPECT_EQ(l.latitude, d.latitude);
        EXPECT_EQ(l.timeZone, d.timeZone);
        EXPECT_EQ(l.dst, 0);
    }
    EXPECT_FALSE(LocationsSaved());
}

TEST_F(LocationStoreTest, AHandEditedNumberThatIsNotOneOrOffTheGlobeKeepsTheFirstRunValue)
{
    // Slot 1 of the German-speaking list: Hamburg, -10.0, 53.55, zone 1.0.
    WriteProfileString("Installed", "Country", "DE");
    constexpr double kLon = -10.0, kLat = 53.55, kZone = 1.0;
    const struct {
        const char* text;
        double longitude, latitude, timeZone;
    } cases[] = {
        {"12.5", 12.5, 12.5, 12.5},     {"-8.5000", -8.5, -8.5, -8.5},
        {"  +5.5 ", 5.5, 5.5, 5.5},     {".5", 0.5, 0.5, 0.5},
        {"1e2", 100, kLat, kZone},      {"-180", -180, kLat, kZone},
        {"90", 90, 90, kZone},          {"-12", -12, -12, -12},
        {"14", 14, 14, 14},             {"180.01", kLon, kLat, kZone},
        {"1e70", kLon, kLat, kZone},    {"-1e70", kLon, kLat, kZone},
        {"12abc", kLon, kLat, kZone},   {"1.5 hours", kLon, kLat, kZone},
        {"east", kLon, kLat, kZone},    {"", kLon, kLat, kZone},
        {"-", kLon, kLat, kZone},       {"--8.5", kLon, kLat, kZone},
        {"+-1", kLon, kLat, kZone},     {"nan", kLon, kLat, kZone},
        {"inf", kLon, kLat, kZone},     {"-infinity", kLon, kLat, kZone},
        {"1e999", kLon, kLat, kZone},   {"8,5", kLon, kLat, kZone},  // a decimal comma is not ours
    };
    for (const auto& c : cases) {
        WriteProfileString("Location", "longitude1", c.text);
        WriteProfileString("Location", "latitude1", c.text);
        WriteProfileString("Location", "timezone1", c.text);
        LocationTable table;
        LoadLocations(table);
        SCOPED_TRACE(c.text);
        EXPECT_EQ(table.entries[1].longitude, c.longitude);
        EXPECT_EQ(table.entries[1].latitude, c.latitude);
        EXPECT_EQ(table.entries[1].timeZone, c.timeZone);
    }
}

TEST(TextToDouble, NumbersAreReadFromTheStartOfTheText)
{
    const struct {
        const char* text;
        double value;
    } cases[] = {
        {"12.5", 12.5},     {"-8.5000", -8.5}, {"  +5.5", 5.5},  {"12abc", 12},
        {"1.5 hours", 1.5}, {".5", 0.5},       {"1e2", 100},     {"east", 0},
        {"", 0},            {"-", 0},          {"--8.5", 0},     {"+-1", 0},
        {"nan", 0},         {"inf", 0},        {"-infinity", 0}, {"1e999", 0},
        {"8,5", 8},
    };
    for (const auto& c : cases) EXPECT_EQ(TextToDouble(c.text), c.value) << c.text;
}

TEST_F(LocationStoreTest, AFlagThatIsNotANumberReadsAsZero)
{
    WriteProfileString("Location", "DLS0", "yes");
    WriteProfileInt("Location", "DLS1", 1);
    LocationTable table;
    LoadLocations(table);
    EXPECT_EQ(table.entries[0].dst, 0);
    EXPECT_EQ(table.entries[1].dst, 1);
}

TEST_F(LocationStoreTest, NamesWithoutAWindows1252LetterBecomeQuestionMarks)
{
    WriteProfileString("Location", "location0", "Z\xc3\xbcrich \xe2\x82\xac \xe6\x97\xa5");  // ü, €, 日
    WriteProfileString("Location", "location1", std::string("bad \xff byte"));
    LocationTable table;
    LoadLocations(table);
    EXPECT_EQ(table.entries[0].name, "Z\xfcrich \x80 ?");
    EXPECT_EQ(table.entries[1].name.size(), std::string("bad ? byte").size());
}

// ---- Start-up -----------------------------------------------------------

TEST_F(LocationStoreTest, FirstRunWritesTheDefaultsOnce)
{
    const LocationTable first = StartUpLocations("CH");
    EXPECT_TRUE(LocationsSaved());
    EXPECT_EQ(first.entries[0].name, "Berlin, Deutschland ");
    EXPECT_EQ(first.entries[3].longitude, 118.8233);  // what the store holds

    // A later run keeps what the user has, whatever the country says now.
    WriteProfileString("Location", "location0", "Home");
    const LocationTable later = StartUpLocations("US");
    EXPECT_EQ(later.entries[0].name, "Home");
    EXPECT_EQ(later.entries[1].name, "Hamburg, Deutschland");
}

TEST_F(LocationStoreTest, SydneyAndLondonAreRightInNewListsButAStoredTableKeepsItsValues)
{
    const LocationTable fresh = StartUpLocations("");
    EXPECT_EQ(fresh.entries[2].name, "London, United Kingdom");
    EXPECT_EQ(Stored("longitude2"), "0.1275");  // west of Greenwich
    EXPECT_EQ(fresh.entries[3].name, "Sydney, Australia");
    EXPECT_EQ(Stored("timezone3"), "10.0");
    EXPECT_EQ(fresh.entries[3].timeZone, 10.0);

    // A user whose table was saved with the old values keeps them.
    WriteProfileString("Location", "longitude2", "6.0000");
    WriteProfileString("Location", "timezone3", "8.0");
    const LocationTable later = StartUpLocations("");
    EXPECT_EQ(later.entries[2].longitude, 6.0);
    EXPECT_EQ(later.entries[3].timeZone, 8.0);
    EXPECT_EQ(Stored("timezone3"), "8.0");
}

TEST_F(LocationStoreTest, DatasavedZeroMeansFirstRun)
{
    WriteProfileString("Location", "location0", "Stale");
    WriteProfileInt("Location", "datasaved", 0);
    const LocationTable table = StartUpLocations("US");
    EXPECT_EQ(table.entries[0].name, "Thousand Oaks, CA, USA");
    EXPECT_EQ(GetProfileInt("Location", "datasaved"), 1);
}

TEST(ApplyCurrentLocation, CopiesTheSlotIntoTheObserver)
{
    LocationTable table;
    FillDefaultLocations(table, "");
    engine::SkyState state;
    state.dst = 0;
    ASSERT_TRUE(ApplyCurrentLocation(table, 4, state));
    EXPECT_EQ(state.locationName, "North Pole");
    EXPECT_EQ(state.latitude, 90.0);
    EXPECT_EQ(state.dst, 1);
    ASSERT_TRUE(ApplyCurrentLocation(table, 3, state));
    EXPECT_EQ(state.longitude, -151.22);
    EXPECT_EQ(state.latitude, -33.9);
    EXPECT_EQ(state.timeZone, 10.0);
    EXPECT_EQ(state.dst, 0);

    // Slots not in use change nothing.
    for (int slot : {-1, 5, 9, 10}) {
        EXPECT_FALSE(ApplyCurrentLocation(table, slot, state)) << slot;
        EXPECT_EQ(state.locationName, "Sydney, Australia");
    }
}

// ---- The editor's data --------------------------------------------------

TEST(EditorSlots, ShowMagnitudesWithFiveDecimalsAndTheSideInTheLists)
{
    LocationTable table;
    FillDefaultLocations(table, "US");
    table.entries[4].latitude = 0.0;
    table.entries[4].dst = 1;
    const LocationEditorSlots working = EditorSlotsFromTable(table);

    EXPECT_EQ(working[0].name, "Thousand Oaks, CA, USA");
    EXPECT_EQ(working[0].longitudeText, "118.82333");
    EXPECT_EQ(working[0].longitudeSide, kSideWest);
    EXPECT_EQ(working[0].latitudeText, "34.21389");
    EXPECT_EQ(working[0].latitudeSide, kSideNorth);
    EXPECT_EQ(working[0].timeZoneText, "-8.0");
    EXPECT_EQ(working[2].longitudeText, "8.50000");
    EXPECT_EQ(working[2].longitudeSide, kSideEast);
    EXPECT_EQ(working[3].latitudeText, "33.90000");
    EXPECT_EQ(working[3].latitudeSide, kSideSouth);
    // Zero is West and North.
    EXPECT_EQ(working[4].longitudeText, "0.00000");
    EXPECT_EQ(working[4].longitudeSide, kSideWest);
    EXPECT_EQ(working[4].latitudeSide, kSideNorth);
    EXPECT_EQ(working[4].dst, 1);
}

TEST_F(LocationStoreTest, SaveAndExitSignsTheMagnitudesByTheirSides)
{
    LocationTable table;
    FillDefaultLocations(table, "US");
    LocationEditorSlots working = EditorSlotsFromTable(table);
    working[0] = {"Own minus, east", "-8.5", kSideEast, "-33.9", kSideSouth, "1", 0};
    working[1] = {"Own minus, west", "-8.5", kSideWest, "-47.32", kSideNorth, "-5", 1};
    working[2] = {"Plain", "8.5", kSideEast, "33.9", kSideSouth, " +1.5", 0};
    // Texts that are not numbers never get here: the editor refuses them.
    ASSERT_FALSE(FirstOutOfRangeField(working));
    SaveEditedLocations(working);

    EXPECT_EQ(GetProfileInt("Location", "datasaved"), 1);
    EXPECT_EQ(Stored("longitude0"), "-8.5000");
    EXPECT_EQ(Stored("latitude0"), "-33.9000");
    EXPECT_EQ(Stored("longitude1"), "8.5000");
    EXPECT_EQ(Stored("latitude1"), "47.3200");
    EXPECT_EQ(Stored("longitude2"), "-8.5000");
    EXPECT_EQ(Stored("latitude2"), "-33.9000");
    // The zone is kept exactly as typed.
    EXPECT_EQ(Stored("timezone0"), "1");
    EXPECT_EQ(Stored("timezone2"), " +1.5");
    EXPECT_EQ(GetProfileInt("Location", "DLS1"), 1);

    LocationTable loaded;
    LoadLocations(loaded);
    EXPECT_EQ(loaded.entries[0].longitude, -8.5);  // not 0: the place stays put
    EXPECT_EQ(loaded.entries[0].latitude, -33.9);
    EXPECT_EQ(loaded.entries[1].longitude, 8.5);
    EXPECT_EQ(loaded.entries[2].timeZone, 1.5);
}

TEST_F(LocationStoreTest, UntouchedEditorDataSavesTheTableToFourDecimals)
{
    LocationTable table;
    FillDefaultLocations(table, "DE");
    SaveEditedLocations(EditorSlotsFromTable(table));
    EXPECT_EQ(Stored("longitude3"), "118.8233");
    EXPECT_EQ(Stored("latitude3"), "34.2139");
    EXPECT_EQ(Stored("timezone3"), "-8.0");

    LocationTable loaded;
    LoadLocations(loaded);
    for (std::size_t n = 0; n < 5; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(loaded.entries[n].name, table.entries[n].name);
        EXPECT_NEAR(loaded.entries[n].longitude, table.entries[n].longitude, 0.00005);
        EXPECT_NEAR(loaded.entries[n].latitude, table.entries[n].latitude, 0.00005);
        EXPECT_EQ(loaded.entries[n].timeZone, table.entries[n].timeZone);
        EXPECT_EQ(loaded.entries[n].dst, table.entries[n].dst);
    }
}

TEST(LocationsPage, IsOnTheGivenHost)
{
    EXPECT_EQ(LocationsPageUrl("skyvane.invalid"), "http://skyvane.invalid/locations/LOC_ALLCOUNTRIES.php");
    EXPECT_EQ(LocationsPageUrl("127.0.0.1:8080"), "http://127.0.0.1:8080/locations/LOC_ALLCOUNTRIES.php");
}

}  // namespace
}  // namespace skyvane::places
