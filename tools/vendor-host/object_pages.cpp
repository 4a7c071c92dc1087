#include "object_pages.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace vendorhost {
namespace {

// Field positions of the catalogue records.
constexpr std::size_t kIdPrefixField = 1;
constexpr std::size_t kIdSuffixField = 2;
constexpr std::size_t kDecField = 2;
constexpr std::size_t kRaField = 3;
constexpr std::size_t kStarSaoField = 4;
constexpr std::size_t kStarMagnitudeField = 5;
constexpr std::size_t kStarSpectrumField = 6;
constexpr std::size_t kStarProperNameField = 7;
constexpr std::size_t kStarDesignationField = 8;
constexpr std::size_t kMessierNgcField = 4;
constexpr std::size_t kMessierNameField = 5;
constexpr std::size_t kMessierMagnitudeField = 6;
constexpr std::size_t kMessierDimensionField = 7;
constexpr std::size_t kMessierDistanceField = 8;
constexpr std::size_t kPageIdField = 9;
constexpr std::size_t kFieldCount = 11;

constexpr int kMessierPageBase = 10000;

std::vector<std::string> SplitFields(std::string_view record)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t bar = record.find('|'); bar != std::string_view::npos; bar = record.find('|', start)) {
        fields.emplace_back(record.substr(start, bar - start));
        start = bar + 1;
    }
    // What follows the last "|" is the record's ";", not a field.
    fields.resize(std::max(fields.size(), kFieldCount));
    return fields;
}

// The path of an address: "http://host/objects/" gives "/objects/".
std::string PathOf(const std::string& address)
{
    const std::size_t scheme = address.find("://");
    if (scheme == std::string::npos) return address.starts_with('/') ? address : "/" + address;
    const std::size_t path = address.find('/', scheme + 3);
    return path == std::string::npos ? "/" : address.substr(path);
}

std::string Sexagesimal(double value, int wholeWidth, const char* units[3], bool withSign, int secondDecimals)
{
    const bool negative = value < 0;
    const double scale = std::pow(10.0, secondDecimals);
    // Rounded once, in units of the last shown decimal, so that 59.96
    // seconds never prints as 60.0.
    const long long ticks = std::llround(std::fabs(value) * 3600.0 * scale);
    const long long whole = ticks / static_cast<long long>(3600 * scale);
    const long long minutes = ticks / static_cast<long long>(60 * scale) % 60;
    const double seconds = static_cast<double>(ticks % static_cast<long long>(60 * scale)) / scale;
    char text[96];
    std::snprintf(text, sizeof text, "%s%0*lld%s %02lld%s %0*.*f%s",
                  withSign ? (negative ? "&minus;" : "+") : "", wholeWidth, whole, units[0], minutes, units[1],
                  secondDecimals > 0 ? secondDecimals + 3 : 2, secondDecimals, seconds, units[2]);
    return text;
}

std::string RightAscension(const std::string& hoursText)
{
    static const char* units[3] = {"h", "m", "s"};
    return Sexagesimal(std::atof(hoursText.c_str()), 2, units, false, 1);
}

std::string Declination(const std::string& degreesText)
{
    static const char* units[3] = {"&deg;", "&prime;", "&Prime;"};
    return Sexagesimal(std::atof(degreesText.c_str()), 2, units, true, 0);
}

void Row(std::string& html, const char* label, const std::string& valueHtml)
{
    if (valueHtml.empty()) return;
    html += "<tr><th>";
    html += label;
    html += "</th><td>";
    html += valueHtml;
    html += "</td></tr>\n";
}

std::string Page(const std::string& title, const std::string& rows)
{
    return "<!DOCTYPE html>\n"
           "<html lang=\"en\">\n<head>\n<meta charset=\"windows-1252\">\n<title>" +
           title + " &ndash; Skyvane</title>\n</head>\n<body>\n<h1>" + title +
           "</h1>\n<table>\n" + rows +
           "</table>\n<p>Positions are for the equinox J2000.0.</p>\n"
           "<p><a href=\"/\">Skyvane home</a></p>\n</body>\n</html>\n";
}

}  // namespace

std::string EscapeHtml(std::string_view text)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        case '"': escaped += "&quot;"; break;
        case '\'': escaped += "&#39;"; break;
        default: escaped += c;
        }
    }
    return escaped;
}

ObjectPages::ObjectPages(std::string_view catalogue)
{
    std::size_t start = 0;
    for (std::size_t end = catalogue.find(';'); end != std::string_view::npos; end = catalogue.find(';', start)) {
        std::string_view record = catalogue.substr(start, end - start + 1);
        start = end + 1;
        while (!record.empty() && (record.front() == '\r' || record.front() == '\n' || record.front() == ' '))
            record.remove_prefix(1);
        std::vector<std::string> fields = SplitFields(record);
        const std::string& kind = fields[0];
        if (kind == "ID") {
            pathPrefix_ = PathOf(fields[kIdPrefixField]);
            suffix_ = fields[kIdSuffixField];
        } else if ((kind == "S" || kind == "M") && !fields[kPageIdField].empty()) {
            std::string id = fields[kPageIdField];
            objects_.insert_or_assign(std::move(id), Object{kind[0], std::move(fields)});
        }
    }
}

std::optional<std::string> ObjectPages::PageFor(std::string_view path) const
{
    if (pathPrefix_.empty() || !path.starts_with(pathPrefix_) || !path.ends_with(suffix_) ||
        path.size() < pathPrefix_.size() + suffix_.size())
        return std::nullopt;
    const std::string_view id = path.substr(pathPrefix_.size(), path.size() - pathPrefix_.size() - suffix_.size());
    const auto found = objects_.find(id);
    if (found == objects_.end()) return std::nullopt;
    const Object& object = found->second;
    return object.kind == 'S' ? StarPage(object.fields) : MessierPage(object.fields);
}

std::string ObjectPages::StarPage(const std::vector<std::string>& fields)
{
    const std::string designation = EscapeHtml(fields[kStarDesignationField]);
    const std::string properName = EscapeHtml(fields[kStarProperNameField]);
    const std::string title = properName.empty() ? designation : properName + " (" + designation + ")";
    std::string rows;
    Row(rows, "Designation", designation);
    Row(rows, "Proper name", properName);
    Row(rows, "Right ascension", RightAscension(fields[kRaField]));
    Row(rows, "Declination", Declination(fields[kDecField]));
    Row(rows, "Visual magnitude", EscapeHtml(fields[kStarMagnitudeField]));
    Row(rows, "Spectral type", EscapeHtml(fields[kStarSpectrumField]));
    Row(rows, "Bright Star Catalogue", "HR " + EscapeHtml(fields[kPageIdField]));
    if (std::atoi(fields[kStarSaoField].c_str()) > 0)
        Row(rows, "SAO catalogue", "SAO " + EscapeHtml(fields[kStarSaoField]));
    return Page(title, rows);
}

std::string ObjectPages::MessierPage(const std::vector<std::string>& fields)
{
    const int number = std::atoi(fields[kPageIdField].c_str()) - kMessierPageBase;
    const std::string name = EscapeHtml(fields[kMessierNameField]);
    std::string title = "M " + std::to_string(number);
    if (!name.empty()) title += ": " + name;
    std::string rows;
    Row(rows, "Messier number", "M " + std::to_string(number));
    Row(rows, "Name", name);
    if (!fields[kMessierNgcField].empty()) Row(rows, "New General Catalogue", "NGC " + EscapeHtml(fields[kMessierNgcField]));
    Row(rows, "Right ascension", RightAscension(fields[kRaField]));
    Row(rows, "Declination", Declination(fields[kDecField]));
    Row(rows, "Visual magnitude", EscapeHtml(fields[kMessierMagnitudeField]));
    if (!fields[kMessierDimensionField].empty())
        Row(rows, "Apparent size", EscapeHtml(fields[kMessierDimensionField]) + " arc minutes");
    if (!fields[kMessierDistanceField].empty())
        Row(rows, "Distance", EscapeHtml(fields[kMessierDistanceField]) + " thousand light-years");
    return Page(title, rows);
}

}  // namespace vendorhost
