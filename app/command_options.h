// The options of the subcommands, declared once per option as a table row
// and read by QCommandLineParser, so every command takes "--name value" and
// "--name=value" alike and describes itself in its help from the same rows.
// Options that several commands share (place and time, the data file) are
// one table each, lifted into a command's request where it keeps them.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace skyvane::app {

// One option: its names as typed ("--lon", "-o"), its value's name in the
// help (empty for a switch), one line of help, and what it does to the
// request. The reader returns an empty string when it took the value, or
// what is wrong with it; the option's name is put in front.
template <class Request>
struct CommandOption {
    std::vector<std::string> names;
    std::string valueName;
    std::string help;
    std::function<std::string(Request&, const std::string& value)> read;
};

template <class Request>
using CommandOptions = std::vector<CommandOption<Request>>;

// The rows of `part` acting on `Request::*member` instead of on a part of
// their own: how render takes ephemeris's place and time options, and print
// takes render's.
template <class Request, class Part>
CommandOptions<Request> LiftOptions(const CommandOptions<Part>& part, Part Request::*member)
{
    CommandOptions<Request> lifted;
    for (const CommandOption<Part>& option : part) {
        auto read = option.read;
        lifted.push_back({option.names, option.valueName, option.help,
                          [read, member](Request& r, const std::string& value) {
                              return read(r.*member, value);
                          }});
    }
    return lifted;
}

// The syntax of one option for the parser: its names and whether it takes
// a value.
struct OptionSyntax {
    std::vector<std::string> names;
    bool takesValue = false;
};

// The command line as the parser saw it: options in the order given (an
// index into the syntax list and the value, empty for a switch), and the
// arguments that are not options.
struct ParsedCommandLine {
    std::vector<std::pair<std::size_t, std::string>> options;
    std::vector<std::string> positional;
};

// Reads `args` (UTF-8, without the program and command names). A name that
// two rows give belongs to the later one. On a syntax
// error returns nothing and sets `error` to one line naming the argument:
// "--frobnicate: unknown option", "--lat: missing value".
std::optional<ParsedCommandLine> ParseCommandLine(const std::vector<OptionSyntax>& syntax,
                                                  const std::vector<std::string>& args,
                                                  std::string& error);

// The help lines of a set of options, one per option, aligned.
std::string DescribeOptions(const std::vector<std::pair<std::string, std::string>>& rows);

// Reads `args` into `request` with `options`, applying them in the order
// given; returns the positional arguments, or nothing with `error` set.
template <class Request>
std::optional<std::vector<std::string>> ReadOptions(const CommandOptions<Request>& options,
                                                    const std::vector<std::string>& args,
                                                    Request& request, std::string& error)
{
    std::vector<OptionSyntax> syntax;
    for (const CommandOption<Request>& option : options)
        syntax.push_back({option.names, !option.valueName.empty()});
    std::optional<ParsedCommandLine> parsed = ParseCommandLine(syntax, args, error);
    if (!parsed)
        return std::nullopt;
    for (const auto& [index, value] : parsed->options) {
        const CommandOption<Request>& option = options[index];
        const std::string why = option.read(request, value);
        if (!why.empty()) {
            error = option.names.back() + ": " + why;
            return std::nullopt;
        }
    }
    return std::move(parsed->positional);
}

template <class Request>
std::string DescribeOptions(const CommandOptions<Request>& options)
{
    std::vector<std::pair<std::string, std::string>> rows;
    for (const CommandOption<Request>& option : options) {
        std::string names;
        for (const std::string& name : option.names)
            names += (names.empty() ? "" : ", ") + name;
        if (!option.valueName.empty())
            names += " " + option.valueName;
        rows.emplace_back(names, option.help);
    }
    return DescribeOptions(rows);
}

// The names of each option a help describes. Rows without help are
// options kept only to refuse them with a reason.
template <class Request>
std::vector<std::vector<std::string>> DocumentedOptionNames(const CommandOptions<Request>& options)
{
    std::vector<std::vector<std::string>> names;
    for (const CommandOption<Request>& option : options)
        if (!option.help.empty())
            names.push_back(option.names);
    return names;
}

// Readers the commands share. "bad value 'x'" when `ok` is false.
std::string BadValue(const std::string& value);
std::string Quoted(const std::string& value);

// The line a usage error ends with.
std::string TryHelp(const std::string& command);

}  // namespace skyvane::app
