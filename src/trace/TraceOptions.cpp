// SPDX-License-Identifier: GPL-3.0-or-later
#include "trace/TraceOptions.h"

#include "platform/Colour.h"

#include <charconv>
#include <map>
#include <stdexcept>

namespace trace {

const char* const TraceUsage =
    "Usage: penwright-trace [OPTION]... INPUT... (-o OUT | --out-dir DIR)\n"
    "Traces the line work of scanned drawings and maps (BMP, JPEG, PNG, TIFF) into vector\n"
    "drawings, without a window: every region of line work becomes centre lines (or\n"
    "outlines) on one layer, specks dropped, reduced with the tolerance.\n"
    "\n"
    "Output:\n"
    "  -o OUT              the drawing of the one INPUT; its extension names the format:\n"
    "                      .rtv, .dxf or .svg\n"
    "  --out-dir DIR       one drawing a scan in DIR, named after the scan\n"
    "  --format FORMAT     with --out-dir: rtv, dxf (default) or svg\n"
    "Which pixels are line work (as in the convert panels):\n"
    "  --dark-lines[=N]    darker than the threshold N (1 to 255); without N, or with\n"
    "                      N=auto, found from each scan by Otsu's method (the default)\n"
    "  --color-range=N     the 2 x 2 average within N of the target colour\n"
    "  --pure-color        the channel sum equal to the target colour's\n"
    "  --color=RRGGBB      the target colour in hexadecimal (default 000000, black)\n"
    "How it is traced:\n"
    "  --centre-lines      the line work thinned to centre lines split at junctions\n"
    "                      (the default)\n"
    "  --outlines          the outlines of the line work and of its holes\n"
    "  --tolerance=N       of the reduction, in pixels (default 3)\n"
    "  --speck=N           regions narrower and lower than N pixels are dropped (default 4)\n"
    "  --layer=NAME        the layer of the polylines (default Penwright)\n"
    "  -q, --quiet         no progress and no summary\n"
    "  -h, --help          this text\n"
    "\n"
    "A drawing is replaced only when it has been written completely.\n"
    "Exit status: 0 every scan traced, 1 a scan could not be read (the others are still\n"
    "traced), 2 wrong arguments, 3 a drawing could not be written.\n";

namespace {

int Number(const std::string& option, const std::string& text, int low, int high) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < low || value > high)
        throw std::invalid_argument(option + " wants a whole number from " + std::to_string(low) +
                                    " to " + std::to_string(high) + ", not \"" + text + "\"");
    return value;
}

platform::FileFormat DrawingFormat(const std::string& text) {
    if (text == "rtv") return platform::FileFormat::Rtv;
    if (text == "dxf") return platform::FileFormat::Dxf;
    if (text == "svg") return platform::FileFormat::Svg;
    throw std::invalid_argument("--format wants rtv, dxf or svg, not \"" + text + "\"");
}

bool IsDrawingFormat(platform::FileFormat f) {
    return f == platform::FileFormat::Rtv || f == platform::FileFormat::Dxf ||
           f == platform::FileFormat::Svg;
}

} // namespace

TraceOptions ParseTraceOptions(const std::vector<std::string>& arguments) {
    TraceOptions o;
    o.settings.test.kind = raster::LineTest::Kind::DarkLines;
    bool onlyInputs = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (onlyInputs || a.empty() || a[0] != '-' || a == "-") {
            o.inputs.push_back(a);
            continue;
        }
        // --name=value, or --name value for the options that take one.
        std::string name = a, value;
        bool hasValue = false;
        if (const std::size_t eq = a.find('='); a.rfind("--", 0) == 0 && eq != std::string::npos) {
            name = a.substr(0, eq);
            value = a.substr(eq + 1);
            hasValue = true;
        }
        auto take = [&]() -> const std::string& {
            if (!hasValue) {
                if (i + 1 >= arguments.size()) throw std::invalid_argument(name + " wants a value");
                value = arguments[++i];
                hasValue = true;
            }
            return value;
        };
        if (name == "--") {
            onlyInputs = true;
        } else if (name == "-h" || name == "--help") {
            o.help = true;
        } else if (name == "-q" || name == "--quiet") {
            o.quiet = true;
        } else if (name == "-o" || name == "--output") {
            o.output = take();
        } else if (name == "--out-dir") {
            o.outputDir = take();
        } else if (name == "--format") {
            o.format = DrawingFormat(take());
        } else if (name == "--dark-lines") {
            o.settings.test.kind = raster::LineTest::Kind::DarkLines;
            o.settings.autoThreshold = !hasValue || value == "auto";
            if (!o.settings.autoThreshold) o.settings.test.threshold = Number(name, value, 1, 255);
        } else if (name == "--color-range") {
            o.settings.test.kind = raster::LineTest::Kind::ColourRange;
            o.settings.test.colourRange = Number(name, take(), 0, 765);
        } else if (name == "--pure-color") {
            o.settings.test.kind = raster::LineTest::Kind::PureColour;
        } else if (name == "--color") {
            const std::string& hex = take();
            unsigned rgb = 0;
            const auto [end, error] = std::from_chars(hex.data(), hex.data() + hex.size(), rgb, 16);
            if (hex.size() != 6 || error != std::errc() || end != hex.data() + hex.size())
                throw std::invalid_argument("--color wants six hexadecimal digits RRGGBB, not \"" +
                                            hex + "\"");
            o.settings.test.target = platform::WithoutMarkBits(platform::MakeColour(
                std::uint8_t(rgb >> 16), std::uint8_t(rgb >> 8), std::uint8_t(rgb)));
        } else if (name == "--centre-lines" || name == "--center-lines") {
            o.settings.centreLines = true;
        } else if (name == "--outlines") {
            o.settings.centreLines = false;
        } else if (name == "--tolerance") {
            o.settings.tolerance = Number(name, take(), 0, 100);
        } else if (name == "--speck") {
            o.settings.speck = Number(name, take(), 0, 100000);
        } else if (name == "--layer") {
            o.layer = take();
            if (o.layer.empty()) throw std::invalid_argument("--layer wants a name");
        } else {
            throw std::invalid_argument("unknown option \"" + a + "\"");
        }
        if (hasValue && (name == "--pure-color" || name == "--outlines" || name == "--quiet" ||
                         name == "--centre-lines" || name == "--help"))
            throw std::invalid_argument(name + " takes no value");
    }
    if (o.help) return o;
    if (o.inputs.empty()) throw std::invalid_argument("no scan to trace");
    if (o.output.empty() == o.outputDir.empty())
        throw std::invalid_argument("give either -o OUT or --out-dir DIR");
    if (!o.output.empty()) {
        if (o.inputs.size() > 1)
            throw std::invalid_argument("-o takes the drawing of one scan; use --out-dir for " +
                                        std::to_string(o.inputs.size()));
        if (!IsDrawingFormat(platform::FormatOfExtension(o.output)))
            throw std::invalid_argument("\"" + o.output +
                                        "\": the output must end in .rtv, "
                                        ".dxf or .svg");
    }
    // Scans of one name in other formats or folders would overwrite each other's drawing.
    std::map<std::string, const std::string*> outputs;
    for (const std::string& input : o.inputs) {
        const auto [at, fresh] = outputs.emplace(OutputFor(o, input), &input);
        if (!fresh)
            throw std::invalid_argument("\"" + *at->second + "\" and \"" + input +
                                        "\" would both be written to \"" + at->first + "\"");
    }
    return o;
}

std::string OutputFor(const TraceOptions& options, const std::string& input) {
    if (!options.output.empty()) return options.output;
    std::string base = input.substr(input.find_last_of('/') + 1);
    if (const std::size_t dot = base.find_last_of('.'); dot != std::string::npos && dot > 0)
        base.erase(dot);
    std::string dir = options.outputDir;
    if (dir.back() != '/') dir += '/';
    return dir + base + platform::FormatEntry(options.format)->Extension;
}

} // namespace trace
