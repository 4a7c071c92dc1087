// The printed finder chart: its target in the middle of a square map, the
// map's frame, names, the field line, and whole-sky aims left to the pages
// of the whole sky.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/sky.h"
#include "page_canvas.h"
#include "places/windows1252.h"
#include "print/print_charts.h"
#include "render/horizontal_placement.h"
#include "render/zoomed_sky.h"
#include "skydata/deep_sky.h"

namespace skyvane::print {
namespace {

using test::PageCanvas;

constexpr PageMetrics kA4{210, 297, 150, 150};
constexpr QRgb kMessierPen = qRgb(204, 87, 57);

class FinderPageTest : public ::testing::Test {
protected:
    FinderPageTest() : catalogue_(std::make_unique<skydata::SkyCatalogue>())
    {
        state_.latitude = 90;  // altitude is declination
        state_.altitude[engine::kSun] = -20;
        state_.locationName = "North Pole";
        catalogue_->starCount = 3;
        catalogue_->stars[1] = {};
        catalogue_->stars[1].ra = 3.0;
        catalogue_->stars[1].dec = 60.0;
        catalogue_->stars[1].magnitude = 1.8;
        catalogue_->stars[1].properName = "Mirfak";
        catalogue_->stars[1].designation = "33 Alp Per";
        catalogue_->stars[2] = catalogue_->stars[1];
        catalogue_->stars[2].ra = 3.2;
        catalogue_->stars[2].properName = "";
        catalogue_->stars[2].designation = "HR 5 Per";
        catalogue_->deepSkyCount = 1;
        catalogue_->deepSky[0].ra = 3.0;
        catalogue_->deepSky[0].dec = 60.0;
        catalogue_->deepSky[0].dimension = "1x1";
    }

    // The square map of an A4 page at 150 dpi: as wide as the page less
    // its margins, centred across.
    QPoint MapCentre(const PageCanvas& page) const
    {
        const int width = page.Image().width();
        const double scale = 150.0 / 96;  // device pixels per screen pixel at 150 dpi
        const int margin = static_cast<int>(30 * scale);
        const int top = static_cast<int>(70 * scale);
        const int side = width - 2 * margin;
        return {(width - side) / 2 + side / 2, top + side / 2};
    }

    engine::SkyState state_{};
    std::unique_ptr<skydata::SkyCatalogue> catalogue_;
    render::DisplayPreferences preferences_;
};

TEST_F(FinderPageTest, TheTargetIsInTheMiddleOfTheMapForBothCharts)
{
    for (const bool horizontal : {true, false}) {
        PageCanvas page(kA4);
        const engine::Horizontal up = render::HorizontalPlaceOf(state_, 3.0, 60.0);
        const render::SkyPoint centre =
            horizontal ? render::SkyPoint{up.azimuth, up.altitude} : render::SkyPoint{3.0, 60.0};
        ASSERT_TRUE(PrintFinderChart(page.dc(), kA4, horizontal, state_, *catalogue_, preferences_,
                                     render::ViewAim::At(centre, 5)));
        const QPoint middle = MapCentre(page);
        // The Messier marker rings the target; the star is a black disc.
        int ring = 0;
        for (int dy = -8; dy <= 8; ++dy)
            for (int dx = -8; dx <= 8; ++dx)
                ring += page.At(middle.x() + dx, middle.y() + dy) == (kMessierPen | 0xff000000u);
        EXPECT_GT(ring, 4) << horizontal;
        EXPECT_EQ(page.At(middle.x(), middle.y()), test::kInk | 0xff000000u) << horizontal;
        bool named = false;
        bool field = false;
        for (const render::TextCall& call : page.dc().RecordedText()) {
            named |= call.text == QStringLiteral("Mirfak");
            field |= call.text.startsWith(QStringLiteral("Field 5"));
        }
        EXPECT_TRUE(named);
        EXPECT_TRUE(field);
    }
}

TEST_F(FinderPageTest, LargeObjectsWithoutAMagnitudeArePrintedAsTheScreenShowsThem)
{
    std::string why;
    const auto deep = skydata::LoadDeepSkyFile(SKYVANE_DEEPSKY_BIN, why);
    ASSERT_NE(deep, nullptr) << why;
    struct Case {
        const char* designation;
        const char* printed;
        double field;
        bool named;
    };
    // The Witch Head (180', no magnitude) in a wide field; a double star
    // without magnitude or size only in the narrowest.
    const Case cases[] = {{"NGC1909", "NGC 1909", 30, true}, {"IC0001", "IC 1", 3, false},
                          {"IC0001", "IC 1", 1.5, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.designation);
        const skydata::DeepObject* object = nullptr;
        for (const skydata::DeepObject& o : deep->objects)
            if (o.designation == c.designation) object = &o;
        ASSERT_NE(object, nullptr);
        PageCanvas page(kA4);
        ASSERT_TRUE(PrintFinderChart(page.dc(), kA4, false, state_, *catalogue_, preferences_,
                                     render::ViewAim::At({object->raDeg / 15.0, object->decDeg}, c.field),
                                     deep.get()));
        bool named = false;
        for (const render::TextCall& call : page.dc().RecordedText())
            named |= call.text == QString::fromLatin1(c.printed);
        EXPECT_EQ(named, c.named);
    }
}

TEST_F(FinderPageTest, AWholeSkyAimDrawsNoMapAndABadPageNothing)
{
    PageCanvas page(kA4);
    ASSERT_TRUE(PrintFinderChart(page.dc(), kA4, true, state_, *catalogue_, preferences_,
                                 render::ViewAim::WholeSky()));
    const QPoint middle = MapCentre(page);
    EXPECT_EQ(page.At(middle.x(), middle.y()), test::kPaper | 0xff000000u);
    EXPECT_FALSE(PrintFinderChart(page.dc(), PageMetrics{}, true, state_, *catalogue_,
                                  preferences_, render::ViewAim::At({0, 45}, 5)));
}

TEST_F(FinderPageTest, TheTitlesPlaceAndDateNeverRunTogether)
{
    // A short place leaves the date in the middle of the map; a longer one
    // pushes it right; one too long for the line is cut short.
    enum Shown { kShort, kWhole, kCut };
    struct Case {
        const char* place;  // Windows-1252
        Shown shown;
    };
    const Case cases[] = {
        {"Z\xfcrich", kShort},
        {"Thousand Oaks, California, USA", kWhole},
        {"Llanfairpwllgwyngyllgogerychwyrndrobwllllantysiliogogogoch, Anglesey, Wales", kCut},
    };
    for (const int dpi : {72, 150, 300, 600, 1200}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.place) + " at " + std::to_string(dpi) + " dpi");
            const PageMetrics metrics{210, 297, dpi, dpi};
            state_.locationName = c.place;
            PageCanvas page(8, 8);
            ASSERT_TRUE(PrintFinderChart(page.dc(), metrics, false, state_, *catalogue_,
                                         preferences_, render::ViewAim::At({3.0, 60.0}, 5)));
            std::vector<render::TextCall> title;
            for (const render::TextCall& call : page.Texts())
                if (call.font.family() == QStringLiteral("Times New Roman")) title.push_back(call);
            ASSERT_EQ(title.size(), 2u);
            const render::TextCall& place = title[0];
            const render::TextCall& date = title[1];
            ASSERT_TRUE(date.text.contains(QStringLiteral("AD")));
            page.dc().SelectFont(place.font);
            const int placeEnd = place.position.x() + page.dc().TextExtent(place.text).width();
            const int dateEnd = date.position.x() + page.dc().TextExtent(date.text).width();
            const int space = page.dc().TextExtent(QStringLiteral(" ")).width();
            // The map is centred across the page: its right edge mirrors
            // the left one where the place starts.
            const int pageWidth = static_cast<int>(210 / 25.4 * dpi);
            const int mapLeft = place.position.x();
            const int mapRight = pageWidth - mapLeft;
            EXPECT_GE(date.position.x() - placeEnd, space);
            EXPECT_LE(dateEnd, mapRight + 1);
            EXPECT_EQ(place.position.y(), date.position.y());
            const QString full = places::FromWindows1252(c.place);
            if (c.shown != kCut) {
                EXPECT_EQ(place.text, full);
            } else {
                EXPECT_TRUE(place.text.endsWith(QChar(0x2026))) << place.text.toStdString();
                EXPECT_TRUE(full.startsWith(place.text.chopped(1))) << place.text.toStdString();
                EXPECT_GT(place.text.size(), 10);
                // The whole line is used before the place is cut.
                EXPECT_GE(dateEnd, mapRight - 1);
            }
            // The date starts in the middle of the map, or only as far right
            // of it as the place needs.
            const int middle = mapLeft + (mapRight - mapLeft) / 2;
            EXPECT_GE(date.position.x(), middle - 1);
            if (c.shown == kShort) {
                EXPECT_LE(date.position.x(), middle + 1);
            } else if (c.shown == kWhole && date.position.x() > middle + 1) {
                EXPECT_LE(date.position.x() - placeEnd, 3 * space);
            }
        }
    }
}

}  // namespace
}  // namespace skyvane::print
