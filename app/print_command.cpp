#include "app/print_command.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <iterator>
#include <ostream>

#include "app/command_output.h"
#include "places/windows1252.h"
#include "print/page_metrics.h"
#include "print/print_charts.h"

namespace skyvane::app {

namespace {

// A real printer's range: below 72 dpi the printed fonts stop being
// legible, and above 2400 dpi the PDF grows without showing more.
constexpr int kMinDotsPerInch = 72;
constexpr int kMaxDotsPerInch = 2400;

// What skyvane render takes that has no meaning on paper. Night mode is
// among them: paper read under a red torch wants dark ink on white, and a
// page of black toner with dim red lines helps no one's eyes.
const std::string kWindowOnlyOptions[] = {"--size", "--scale", "--select-star", "--select-messier",
                                          "--help-overlay", "--night"};
// Those of them that take no value.
const std::string kWindowOnlyFlags[] = {"--help-overlay", "--night"};

bool ParseDotsPerInch(const std::string& text, int& value)
{
    const char* end = text.data() + text.size();
    const auto [next, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && next == end && value >= kMinDotsPerInch &&
           value <= kMaxDotsPerInch;
}

int ViewModeOf(ChartKind chart)
{
    switch (chart) {
    case ChartKind::kHorizontal:
        return print::kViewHorizontal;
    case ChartKind::kGeocentric:
        return print::kViewGeocentric;
    case ChartKind::kHeliocentric:
        return print::kViewHeliocentric;
    case ChartKind::kIntro:
        break;
    }
    return print::kViewIntro;
}

}  // namespace

const CommandOptions<PrintRequest>& PrintOptions()
{
    using R = PrintRequest;
    static const CommandOptions<PrintRequest> kOptions = [] {
        CommandOptions<PrintRequest> options;
        const CommandOptions<PrintRequest> own = {
            {{"--place"}, "NAME", "the place named in the title (default: the stored location there, else its coordinates)",
             [](R& r, const std::string& v) -> std::string {
                 r.placeName = v;
                 return {};
             }},
            {{"--dpi"}, "N", "printer resolution, 72-2400 dots per inch (default 600)",
             [](R& r, const std::string& v) {
                 return ParseDotsPerInch(v, r.dotsPerInch) ? "" : BadValue(v);
             }},
            {{"-o"}, "FILE", "the PDF to write (default CHART.pdf; - for standard output)",
             [](R& r, const std::string& v) {
                 r.output = v;
                 return v.empty() ? BadValue(v) : "";
             }},
            {{"-h", "--help"}, "", "this help",
             [](R& r, const std::string&) -> std::string {
                 r.help = true;
                 return {};
             }},
        };
        // The chart, place, instant, zoom, preferences and data file as
        // skyvane render reads them; what only a window has is refused.
        for (CommandOption<PrintRequest> option : LiftOptions(RenderOptions(), &R::chart)) {
            const std::string& name = option.names.back();
            // Print's own entry replaces render's: one line in the help.
            if (std::any_of(own.begin(), own.end(), [&](const CommandOption<PrintRequest>& o) {
                    return std::find(o.names.begin(), o.names.end(), name) != o.names.end();
                }))
                continue;
            if (std::find(std::begin(kWindowOnlyOptions), std::end(kWindowOnlyOptions), name) !=
                std::end(kWindowOnlyOptions)) {
                continue;
            }
            options.push_back(std::move(option));
        }
        for (const std::string& name : kWindowOnlyOptions) {
            // Still known, so that the message says why.
            const bool takesValue =
                std::find(std::begin(kWindowOnlyFlags), std::end(kWindowOnlyFlags), name) ==
                std::end(kWindowOnlyFlags);
            options.push_back({{name}, takesValue ? "X" : "", "",
                               [](R&, const std::string&) -> std::string {
                                   return "not for a printed page";
                               }});
        }
        options.insert(options.end(), own.begin(), own.end());
        return options;
    }();
    return kOptions;
}

std::string PrintUsage()
{
    std::string usage =
        "usage: skyvane print horizontal|geocentric|heliocentric [options]\n"
        "Lays one chart out on an A4 page and writes it as a one-page PDF: portrait for\n"
        "the horizontal and heliocentric charts, landscape for the geocentric one. The\n"
        "place, time, zoom and display preferences as skyvane render takes them.\n";
    CommandOptions<PrintRequest> shown;
    for (const CommandOption<PrintRequest>& option : PrintOptions())
        if (!option.help.empty())
            shown.push_back(option);
    return usage + DescribeOptions(shown);
}

std::optional<PrintRequest> ParsePrintArguments(const std::vector<std::string>& args,
                                                std::string& error)
{
    PrintRequest r;
    const auto positional = ReadOptions(PrintOptions(), args, r, error);
    if (!positional)
        return std::nullopt;
    if (r.help)
        return r;
    if (!positional->empty() && positional->front() == "intro") {
        error = "chart: the intro screen prints an empty page; choose horizontal, geocentric "
                "or heliocentric";
        return std::nullopt;
    }
    if (!FinishRenderRequest(r.chart, *positional, error))
        return std::nullopt;
    if (r.output.empty())
        r.output = r.chart.chartName + ".pdf";
    return r;
}

namespace {

// The whole PDF file as bytes: QPrinter writes only to a named file, so
// the page goes to a private temporary one first and is then written where
// it was asked for, where every failure shows.
std::optional<QByteArray> PrintPage(const PrintRequest& request, const ChartInputs& inputs,
                                    const render::ViewAim& aim, std::string& error)
{
    QTemporaryDir folder;
    if (!folder.isValid()) {
        error = "cannot make a temporary folder: " + folder.errorString().toStdString();
        return std::nullopt;
    }
    const QString file = folder.filePath(QStringLiteral("page.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    printer.setResolution(request.dotsPerInch);
    printer.setPageSize(QPageSize(QPageSize::A4));
    // A finder chart is a square map: portrait for either chart.
    const int viewMode = ViewModeOf(request.chart.chart);
    printer.setPageOrientation(print::PrintsLandscape(viewMode, aim) ? QPageLayout::Landscape
                                                                      : QPageLayout::Portrait);

    QPainter painter;
    if (!painter.begin(&printer)) {
        error = "cannot write the page";
        return std::nullopt;
    }
    const print::PageMetrics page = print::PageMetricsOf(printer);
    // The same entry the sky window prints through, so that a page from
    // here and one from File, Print of the same view are the same page.
    const bool printed = print::PrintChart(viewMode, painter, page, inputs.state,
                                           *inputs.data->catalogue, request.chart.preferences,
                                           request.chart.zoom, aim, inputs.data->deepSky.get());
    if (!painter.end()) {
        error = "cannot write the page";
        return std::nullopt;
    }
    if (!printed) {
        error = "the printer reports no usable page size or resolution";
        return std::nullopt;
    }
    QFile pdf(file);
    if (!pdf.open(QIODevice::ReadOnly)) {
        error = "cannot write the page";
        return std::nullopt;
    }
    return pdf.readAll();
}

}  // namespace

int RunPrintCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    std::string error;
    const std::optional<PrintRequest> request = ParsePrintArguments(args, error);
    if (!request) {
        err << "skyvane print: " << error << "; " << TryHelp("print") << "\n";
        return 2;
    }
    if (request->help) {
        out << PrintUsage();
        return FlushOutput(out).empty() ? 0 : 1;
    }
    std::optional<ChartInputs> inputs = LoadChartInputs(request->chart, error);
    if (!inputs) {
        err << "skyvane print: " << error << "\n";
        return 1;
    }
    // Command-line text is UTF-8; the pages draw the program's Windows-1252
    // texts.
    inputs->state.locationName =
        PlaceLine(inputs->state, places::Utf8ToWindows1252(request->placeName));

    const std::optional<render::ViewAim> aim =
        FinderAim(request->chart, *inputs->data, inputs->state, error);
    if (!aim) {
        err << "skyvane print: " << error << "\n";
        return 1;
    }
    const std::optional<QByteArray> pdf = PrintPage(*request, *inputs, *aim, error);
    if (!pdf) {
        err << "skyvane print: " << request->output << ": " << error << "\n";
        return 1;
    }
    error = WriteOutput(request->output, std::string_view(pdf->constData(), pdf->size()), out);
    if (!error.empty()) {
        err << "skyvane print: cannot write the page: " << error << "\n";
        return 1;
    }
    if (request->output == kStandardOutput)
        return 0;
    const bool landscape = print::PrintsLandscape(ViewModeOf(request->chart.chart), *aim);
    out << "page written to " << request->output << " (A4 "
        << (landscape ? "landscape" : "portrait") << ", " << request->dotsPerInch << " dpi)\n";
    if (const std::string flushed = FlushOutput(out); !flushed.empty()) {
        err << "skyvane print: " << flushed << "\n";
        return 1;
    }
    return 0;
}

int RunPrintCommandMain(int argc, char** argv)
{
    return RunWithGuiApplication(
        argc, argv, [] { return RunPrintCommand(CommandArguments(), std::cout, std::cerr); });
}

}  // namespace skyvane::app
