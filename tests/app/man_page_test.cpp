// The manual page against the option tables the commands read and their
// help is made from: every command has its section, and each section
// names exactly the options its command takes.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/desktop_start.h"

namespace skyvane::app {
namespace {

std::string ManPage()
{
    std::ifstream in(SKYVANE_MAN_PAGE);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The page's text with troff's escaped minus as the plain one.
std::string Plain(const std::string& text)
{
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '-') ++i;
        plain += text[i];
    }
    return plain;
}

// Each ".SS" section by its title, lines as written.
std::map<std::string, std::vector<std::string>> Subsections(const std::string& page)
{
    std::map<std::string, std::vector<std::string>> sections;
    std::vector<std::string>* current = nullptr;
    std::istringstream lines(Plain(page));
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind(".SS ", 0) == 0) {
            current = &sections[line.substr(4)];
        } else if (line.rfind(".SH ", 0) == 0) {
            current = nullptr;
        } else if (current != nullptr) {
            current->push_back(line);
        }
    }
    return sections;
}

// The options a section documents: those named in the heads of its
// tagged paragraphs (the line after each ".TP").
std::set<std::string> DocumentedOptions(const std::vector<std::string>& lines)
{
    static const std::regex kOption(R"((?:^|[\s",(])(--?[A-Za-z][A-Za-z0-9-]*))");
    std::set<std::string> names;
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
        if (lines[i] != ".TP") continue;
        const std::string& head = lines[i + 1];
        for (auto m = std::sregex_iterator(head.begin(), head.end(), kOption);
             m != std::sregex_iterator(); ++m)
            names.insert((*m)[1]);
    }
    return names;
}

std::set<std::string> Names(const std::vector<std::vector<std::string>>& options)
{
    std::set<std::string> names;
    for (const auto& option : options)
        names.insert(option.begin(), option.end());
    // Every command takes -h and --help; the page says so once.
    names.erase("-h");
    names.erase("--help");
    return names;
}

TEST(ManPage, DocumentsEveryCommandWithExactlyItsOptions)
{
    const std::string page = ManPage();
    ASSERT_FALSE(page.empty()) << SKYVANE_MAN_PAGE;
    const auto sections = Subsections(page);
    ASSERT_FALSE(Commands().empty());
    for (const CommandInfo& command : Commands()) {
        const auto section = sections.find(command.name);
        ASSERT_NE(section, sections.end()) << "no section for " << command.name;
        EXPECT_EQ(DocumentedOptions(section->second), Names(command.options())) << command.name;
        EXPECT_NE(Plain(page).find(".B skyvane " + command.name + "\n"), std::string::npos)
            << command.name << " is not in the synopsis";
    }
    // The desktop program's options, and the help every command has.
    for (const std::string& name : Names(DesktopOptionNames()))
        EXPECT_NE(Plain(page).find(name), std::string::npos) << name;
    EXPECT_NE(Plain(page).find(".BR -h \" or \" --help"), std::string::npos);
}

TEST(ManPage, ASectionThatLosesAnOptionIsCaught)
{
    // The check reads what the page says, not merely that it says something.
    const auto sections = Subsections(ManPage());
    std::vector<std::string> ephemeris = sections.at("ephemeris");
    const std::vector<std::string> paragraph{".TP", ".B --json"};
    const auto json = std::search(ephemeris.begin(), ephemeris.end(), paragraph.begin(), paragraph.end());
    ASSERT_NE(json, ephemeris.end());
    ephemeris.erase(json, json + 2);
    std::set<std::string> expected;
    for (const CommandInfo& command : Commands())
        if (command.name == "ephemeris") expected = Names(command.options());
    EXPECT_EQ(expected.count("--json"), 1u);
    EXPECT_NE(DocumentedOptions(ephemeris), expected);
}

TEST(ProgramHelp, NamesEveryCommandAndEachCommandsHelpEveryOption)
{
    const std::string usage = ProgramUsage();
    for (const CommandInfo& command : Commands()) {
        EXPECT_NE(usage.find("skyvane " + command.name + " "), std::string::npos) << command.name;
        const std::string help = command.usage();
        std::map<std::string, int> rows;
        for (const auto& option : command.options())
            for (const std::string& name : option) {
                EXPECT_NE(help.find(name), std::string::npos) << command.name << " " << name;
                ++rows[name];
            }
        // An option a command takes over and also defines itself is described once.
        for (const auto& [name, count] : rows)
            EXPECT_EQ(count, 1) << command.name << " lists " << name << " " << count << " times";
    }
}

}  // namespace
}  // namespace skyvane::app
