#include "site_pages.h"

namespace vendorhost {
namespace {

std::string Page(const std::string& title, const std::string& body)
{
    return "<!DOCTYPE html>\n"
           "<html lang=\"en\">\n<head>\n<meta charset=\"windows-1252\">\n<title>" +
           title + "</title>\n</head>\n<body>\n" + body +
           "<p><a href=\"/\">Skyvane home</a> &middot; <a href=\"/manual.php\">Manual</a> &middot; "
           "<a href=\"/locations/LOC_ALLCOUNTRIES.php\">Find your coordinates</a> &middot; "
           "<a href=\"/donate.php\">Support</a></p>\n</body>\n</html>\n";
}

}  // namespace

std::string HomePage()
{
    return Page("Skyvane", R"(<h1>Skyvane</h1>
<p>Skyvane is a desktop planetarium. It draws the sky for a chosen place and
instant: a round horizontal chart with stars, constellation figures, Messier
objects, the Sun, the Moon with its phase and the planets; a right
ascension and declination chart with an ephemeris table; and a top view of
the solar system.</p>
<p>Every position comes from the program's own astronomy engine: truncated
VSOP87 series for the planets, the ELP-2000/82 series for the Moon and IAU
1980 nutation. Dates from 4713 BC to 9999 AD can be shown.</p>
<p>The stars, constellations and Messier objects come from the sky data file,
which the program fetches from this host and refreshes from time to time.</p>
)");
}

std::string ManualPage()
{
    return Page("Skyvane manual", R"(<h1>Skyvane manual</h1>
<h2>The charts</h2>
<p>The View menu switches between the horizontal chart (the sky as seen from
your place), the geocentric chart (right ascension and declination, with an
ephemeris table) and the heliocentric chart (the solar system from above).
Click a star or a Messier object in the horizontal chart to see its details
and a link to its page on this site.</p>
<h2>Place and time</h2>
<p>Location, Edit holds up to five places. Longitudes count positive towards
the west; choose East or West next to the value. Time zones are hours east of
Greenwich, with a separate daylight saving flag. Time, Enter sets the date
and time; the keyboard steps and animates it.</p>
<h2>Sky data</h2>
<p>Config, Update datafile fetches the current sky data file at once. When
the last update is about a day old, the program fetches a new file by itself
as it starts.</p>
<h2>Printing</h2>
<p>File, Print and Print Preview print the chart on screen on one page, with
a title naming the place and the time.</p>
)");
}

std::string DonatePage()
{
    return Page("Supporting Skyvane", R"(<h1>Supporting Skyvane</h1>
<p>Thank you for thinking of supporting Skyvane. We do not take donations
yet. Telling others about the program, and telling us about errors you find
in it, helps just as much.</p>
)");
}

std::string LocationsPage()
{
    return Page("Finding your coordinates", R"(<h1>Finding your coordinates</h1>
<p>Skyvane needs the longitude and latitude of your place in degrees, and its
time zone. Map services show the coordinates of any point you choose, for
example <a href="https://www.openstreetmap.org/">OpenStreetMap</a>; the
<a href="https://www.geonames.org/">GeoNames</a> gazetteer lists towns of
every country with their coordinates and time zones.</p>
<p>Type the values into Location, Edit. Longitudes east of Greenwich are
entered with East selected, those west of it with West; the time zone is the
number of hours your standard time is ahead of Greenwich (negative in the
Americas).</p>
)");
}

std::string NotFoundPage()
{
    return Page("Not found", "<h1>Not found</h1>\n<p>There is no page at this address.</p>\n");
}

std::string VersionCheckPage(const VersionAnswer& answer)
{
    // The markers must not open the page: a "Version:" at the very start is
    // not taken as an announcement.
    return "<html><body>Version:" + answer.version + " Country=*" + answer.country +
           " Campain=*" + answer.campaign + "</body></html>";
}

}  // namespace vendorhost
