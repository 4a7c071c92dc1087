// One page per catalogue object, at the address the program builds from
// the catalogue's "ID" record: prefix + page id + suffix. Stars ("S"
// records) have their Bright Star Catalogue number as page id, Messier
// objects ("M" records) 10000 + their number.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vendorhost {

class ObjectPages {
public:
    ObjectPages() = default;

    // Reads the catalogue text (records "KIND|field|...|;" separated by
    // line breaks). Records of other kinds are skipped.
    explicit ObjectPages(std::string_view catalogue);

    // The page for a request path, when the path is prefix-path + id +
    // suffix of a known object.
    std::optional<std::string> PageFor(std::string_view path) const;

    std::size_t Count() const { return objects_.size(); }

    // The path part of the address prefix ("/objects/" for
    // "http://skyvane.invalid/objects/").
    const std::string& PathPrefix() const { return pathPrefix_; }
    const std::string& Suffix() const { return suffix_; }

private:
    struct Object {
        char kind;  // 'S' or 'M'
        std::vector<std::string> fields;
    };

    std::string pathPrefix_;
    std::string suffix_;
    std::map<std::string, Object, std::less<>> objects_;  // by page id

    static std::string StarPage(const std::vector<std::string>& fields);
    static std::string MessierPage(const std::vector<std::string>& fields);
};

// Text made safe to stand in HTML element content and attribute values.
std::string EscapeHtml(std::string_view text);

}  // namespace vendorhost
