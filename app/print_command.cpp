#include "app/print_command.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QString>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <iterator>
#include <ostream>

#include "print/page_metrics.h"
#include "print/print_charts.h"

namespace skyvane::app {

const char kPrintUsage[] =
    "usage: skyvane print horizontal|geocentric|heliocentric [options]\n"
    "  place and time as skyvane render: --date Y-M-D [--time H:M[:S]] | --jd JD | --now\n"
    "                                    --tz HOURS --dst 0|1 --lon DEG --lat DEG\n"
    "  --place NAME          the place named in the title (default: the stored location\n"
    "                        there, else its coordinates)\n"
    "  --zoom N              heliocentric scale of the window, pixels per AU, 10-300 (default 210)\n"
    "  --ew 0|1 --ns 0|1 --stars-visible 0|1 --no-stars --no-constellations\n"
    "                        display preferences (default: as a first run sets them)\n"
    "  --dpi N               printer resolution, 72-2400 dots per inch (default 600)\n"
    "  --data FILE           sky data file (default datas.bin)\n"
    "  -o FILE               the PDF to write (default CHART.pdf)\n"
    "The page is A4: portrait for the horizontal and heliocentric charts, landscape\n"
    "for the geocentric one.\n";

namespace {

// A real printer's range: below 72 dpi the printed fonts stop being
// legible, and above 2400 dpi the PDF grows without showing more.
constexpr int kMinDotsPerInch = 72;
constexpr int kMaxDotsPerInch = 2400;

// What skyvane render takes that has no meaning on paper.
const std::string kWindowOnlyOptions[] = {"--size", "--select-star", "--select-messier",
                                              "--help-overlay"};

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

std::optional<PrintRequest> ParsePrintArguments(const std::vector<std::string>& args,
                                                std::string& error)
{
    // Our own options come out; the chart, place, instant, zoom, preferences
    // and data file go to skyvane render's reader.
    struct OwnOption {
        const char* name;
        bool (*read)(const std::string& value, PrintRequest& request);
    };
    static const OwnOption kOwnOptions[] = {
        {"--dpi", [](const std::string& v, PrintRequest& r) {
             return ParseDotsPerInch(v, r.dotsPerInch);
         }},
        {"--place", [](const std::string& v, PrintRequest& r) {
             r.placeName = v;
             return true;
         }},
        {"-o", [](const std::string& v, PrintRequest& r) {
             r.output = v;
             return !v.empty();
         }},
    };
    PrintRequest r;
    std::vector<std::string> chartArgs;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (std::find(std::begin(kWindowOnlyOptions), std::end(kWindowOnlyOptions), arg) !=
            std::end(kWindowOnlyOptions)) {
            error = arg + ": not for a printed page";
            return std::nullopt;
        }
        const auto own = std::find_if(std::begin(kOwnOptions), std::end(kOwnOptions),
                                      [&](const OwnOption& o) { return arg == o.name; });
        if (own == std::end(kOwnOptions)) {
            chartArgs.push_back(arg);
        } else if (i + 1 == args.size()) {
            error = arg + ": missing value";
            return std::nullopt;
        } else if (!own->read(args[++i], r)) {
            error = arg + ": bad value '" + args[i] + "'";
            return std::nullopt;
        }
    }
    if (!chartArgs.empty() && chartArgs[0] == "intro") {
        error = "chart: the intro screen prints an empty page; choose horizontal, geocentric "
                "or heliocentric";
        return std::nullopt;
    }
    const std::optional<RenderRequest> chart = ParseRenderArguments(chartArgs, error);
    if (!chart) {
        return std::nullopt;
    }
    r.chart = *chart;
    if (r.output.empty()) {
        r.output = chartArgs[0] + ".pdf";
    }
    return r;
}

int RunPrintCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
        out << kPrintUsage;
        return 0;
    }
    std::string error;
    const std::optional<PrintRequest> request = ParsePrintArguments(args, error);
    if (!request) {
        err << "skyvane print: " << error << "\n";
        return 2;
    }
    ChartInputs inputs = LoadChartInputs(request->chart, "print", err);
    inputs.state.locationName = PlaceLine(inputs.state, request->placeName);

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(request->output));
    printer.setResolution(request->dotsPerInch);
    printer.setPageSize(QPageSize(QPageSize::A4));
    const bool landscape = request->chart.chart == ChartKind::kGeocentric;
    printer.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);

    QPainter painter;
    if (!painter.begin(&printer)) {
        err << "skyvane print: " << request->output << ": cannot write the page\n";
        return 1;
    }
    const print::PageMetrics page = print::PageMetricsOf(printer);
    const bool printed =
        print::PrintChart(ViewModeOf(request->chart.chart), painter, page, inputs.state,
                          *inputs.data->catalogue, request->chart.preferences,
                          request->chart.zoom);
    if (!painter.end()) {
        err << "skyvane print: " << request->output << ": cannot write the page\n";
        return 1;
    }
    if (!printed) {
        err << "skyvane print: the printer reports no usable page size or resolution\n";
        return 1;
    }
    out << "page written to " << request->output << " (A4 "
        << (landscape ? "landscape" : "portrait") << ", " << request->dotsPerInch << " dpi)\n";
    return 0;
}

int RunPrintCommandMain(int argc, char** argv, const std::vector<std::string>& args)
{
    return RunWithGuiApplication(argc, argv,
                                 [&] { return RunPrintCommand(args, std::cout, std::cerr); });
}

}  // namespace skyvane::app
