#include "app/command_options.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QHash>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>

namespace skyvane::app {

namespace {

QString WithoutDashes(const std::string& name)
{
    const std::size_t start = name.find_first_not_of('-');
    return QString::fromStdString(name.substr(start == std::string::npos ? name.size() : start));
}

std::string WithDashes(const QString& name)
{
    return (name.size() == 1 ? "-" : "--") + name.toStdString();
}

// QCommandLineParser's own messages, in the form our commands use.
std::string Translate(const QCommandLineParser& parser)
{
    if (!parser.unknownOptionNames().isEmpty())
        return WithDashes(parser.unknownOptionNames().first()) + ": unknown option";
    const QString text = parser.errorText();
    static const QRegularExpression kMissing(QStringLiteral("^Missing value after '(.*)'\\.$"));
    static const QRegularExpression kUnexpected(
        QStringLiteral("^Unexpected value after '([^=]*)(=.*)?'\\.$"));
    if (const auto m = kMissing.match(text); m.hasMatch())
        return m.captured(1).toStdString() + ": missing value";
    if (const auto m = kUnexpected.match(text); m.hasMatch())
        return m.captured(1).toStdString() + ": takes no value";
    return text.toStdString();
}

}  // namespace

std::optional<ParsedCommandLine> ParseCommandLine(const std::vector<OptionSyntax>& syntax,
                                                  const std::vector<std::string>& args,
                                                  std::string& error)
{
    QCommandLineParser parser;
    // "-o" with its value, and "--name" never read as a run of one-letter
    // options.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    // A name given twice belongs to its later row: a command's own option
    // replaces a shared one of the same name.
    QHash<QString, std::size_t> indexOf;
    for (std::size_t i = 0; i < syntax.size(); ++i)
        for (const std::string& name : syntax[i].names)
            indexOf.insert(WithoutDashes(name), i);
    for (std::size_t i = 0; i < syntax.size(); ++i) {
        QStringList names;
        for (const std::string& name : syntax[i].names)
            if (indexOf.value(WithoutDashes(name)) == i)
                names << WithoutDashes(name);
        if (!names.isEmpty())
            parser.addOption(QCommandLineOption(
                names, QString(), syntax[i].takesValue ? QStringLiteral("value") : QString()));
    }
    // The parser skips the first entry, the program's name.
    QStringList list{QStringLiteral("skyvane")};
    for (const std::string& arg : args)
        list << QString::fromStdString(arg);
    if (!parser.parse(list)) {
        error = Translate(parser);
        return std::nullopt;
    }

    ParsedCommandLine parsed;
    // The parser keeps the values per option and the names in order; an
    // option given twice takes its values in turn.
    std::vector<int> used(syntax.size(), 0);
    for (const QString& name : parser.optionNames()) {
        const std::size_t index = indexOf.value(name);
        std::string value;
        if (syntax[index].takesValue)
            value = parser.values(name).value(used[index]++).toStdString();
        parsed.options.emplace_back(index, value);
    }
    for (const QString& arg : parser.positionalArguments())
        parsed.positional.push_back(arg.toStdString());
    return parsed;
}

std::string DescribeOptions(const std::vector<std::pair<std::string, std::string>>& rows)
{
    std::size_t width = 0;
    for (const auto& row : rows)
        width = std::max(width, row.first.size());
    width = std::min<std::size_t>(width, 26);
    std::string text;
    for (const auto& [names, help] : rows) {
        text += "  " + names;
        if (names.size() > width)
            text += "\n  " + std::string(width, ' ');
        else
            text += std::string(width - names.size(), ' ');
        text += "  " + help + "\n";
    }
    return text;
}

std::string Quoted(const std::string& value) { return "'" + value + "'"; }

std::string BadValue(const std::string& value) { return "bad value " + Quoted(value); }

std::string TryHelp(const std::string& command)
{
    return "try 'skyvane " + command + " --help'";
}

}  // namespace skyvane::app
