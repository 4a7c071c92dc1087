// The fixed pages of the host: the ones the program opens in the browser
// and the version check answer.
#pragma once

#include <string>

namespace vendorhost {

std::string HomePage();
std::string ManualPage();
std::string DonatePage();
std::string LocationsPage();
std::string NotFoundPage();

// What the version check announces. The program reads the answer's first
// 200 characters only, and only up to the page end "</html>", so the whole
// page stays inside them. `version` is 4 digits, `country` 2 characters,
// `campaign` 3 digits ("000" for none).
struct VersionAnswer {
    std::string version = "0141";
    std::string country = "00";
    std::string campaign = "000";
};
std::string VersionCheckPage(const VersionAnswer& answer);

// The most the program reads of a version check answer.
inline constexpr std::size_t kVersionAnswerExamined = 200;

}  // namespace vendorhost
