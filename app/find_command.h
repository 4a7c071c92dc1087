// `skyvane find NAME`: a star (of the main catalogue or Hipparcos), a
// Messier, NGC or IC object, the Sun, the Moon or a planet found by name, with its catalogue data, where it stands at the
// instant and place given as to `skyvane ephemeris`, and its rise, transit
// and set that local day; as text or JSON. The sky window's Search › Object
// dialog shows the same text.
#pragma once

#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/command_options.h"
#include "app/data_folder.h"
#include "app/place_and_time.h"
#include "engine/sky.h"
#include "skydata/catalogue.h"
#include "skydata/found_object.h"
#include "skydata/sky_data.h"

namespace skyvane::app {

struct FindRequest {
    std::string name;       // the words of the name, joined by blanks
    EphemerisRequest place;  // place and instant; the computer clock unless given
    DataFileChoice data;     // --data, --data-dir, else the data folder
};

// The options of skyvane find, and its help.
const CommandOptions<FindRequest>& FindOptions();
std::string FindUsage();

// Reads the command's arguments (without "find"). Words that are not
// options make up the name. On a bad argument returns nothing and sets
// `error` to one line naming it.
std::optional<FindRequest> ParseFindArguments(const std::vector<std::string>& args,
                                              std::string& error);

// The object as the dialog and the command show it, one fact a line, UTF-8:
// its J2000 catalogue place and apparent place of date (a body: geocentric
// and topocentric places of date), and where it stands for the observer.
// `sky` is the computed sky the object was described for. Azimuth counts
// from north through east (the command, and the "Azimuth North"
// preference's default) or, with `azimuthFromNorth` false, from the south
// point towards the west. `deepSky` is the catalogue of HIP stars and
// NGC and IC objects, if any.
std::string FormatFoundObjectText(const skydata::FoundObject& found,
                                  const skydata::SkyCatalogue& catalogue,
                                  const engine::SkyState& sky, bool azimuthFromNorth = true,
                                  const skydata::DeepSkyCatalogue* deepSky = nullptr);

// The same as one JSON object (see schema/find.schema.json), azimuth from
// north through east; `query` is the name as asked for.
std::string FormatFoundObjectJson(const std::string& query, const skydata::FoundObject& found,
                                  const skydata::SkyCatalogue& catalogue,
                                  const engine::SkyState& sky,
                                  const skydata::DeepSkyCatalogue* deepSky = nullptr);

// The whole command; returns the process exit status: 0 found, 1 no object
// of that name (the closest names follow on `err`), 2 bad arguments.
// The sky data a command finds names in: the data file `choice` names and
// the deep-sky file beside it or installed. What is missing or damaged is
// one line on `err`, starting with `command`; without a data file only the
// Sun, the Moon and the planets are known.
std::shared_ptr<const skydata::SkyData> LoadNamedSky(const DataFileChoice& choice,
                                                     const char* command, std::ostream& err);

int RunFindCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace skyvane::app
