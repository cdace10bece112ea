#include "viewer/program/VIEW_ProgramArgs.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>

namespace {

const int kResolutions[] = {VIEW_ProgramArgs::Fit, 150, 300, 600, 1200, 2400};
const int kMagnifications[] = {1, 2, 4, 8, 16};

// A decimal number of at most 9 digits; -1 when text is not one.
int Decimal(const std::string& text) {
    if (text.empty() || text.size() > 9 || !std::all_of(text.begin(), text.end(), [](char c) {
            return c >= '0' && c <= '9';
        }))
        return -1;
    return std::atoi(text.c_str());
}

std::vector<std::string> SplitCommas(const std::string& text) {
    std::vector<std::string> items;
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(',', start);
        items.push_back(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos)
            return items;
        start = comma + 1;
    }
}

bool Fail(std::string* error, const std::string& text) {
    *error = text;
    return false;
}

}  // namespace

bool VIEW_ParseProgramArgs(const std::vector<std::string>& args, VIEW_ProgramArgs* parsed, std::string* error) {
    VIEW_ProgramArgs result;
    bool haveFile = false;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        if (arg == "--help" || arg == "-h") {
            result.m_help = true;
            continue;
        }
        if (arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            if (arg.size() > 1 && arg[0] == '-')
                return Fail(error, "unknown option " + arg);
            if (haveFile)
                return Fail(error, "one file only: " + result.m_file + " and " + arg);
            result.m_file = arg;
            haveFile = true;
            continue;
        }
        std::string value;
        bool haveValue = false;
        const size_t equals = arg.find('=');
        if (equals != std::string::npos) {
            value = arg.substr(equals + 1);
            arg = arg.substr(0, equals);
            haveValue = true;
        }
        if (arg != "--page" && arg != "--dpi" && arg != "--mag" && arg != "--untick" && arg != "--out")
            return Fail(error, "unknown option " + arg);
        if (!haveValue) {
            if (i + 1 >= args.size())
                return Fail(error, arg + " needs a value");
            value = args[++i];
        }
        if (arg == "--page") {
            result.m_page = Decimal(value);
            if (result.m_page < 1)
                return Fail(error, "--page takes a page number from 1, not \"" + value + "\"");
        } else if (arg == "--dpi") {
            // Fit is asked for by its name: 0 is no resolution.
            const int number = Decimal(value);
            const int dpi = value == "fit" ? VIEW_ProgramArgs::Fit : number == VIEW_ProgramArgs::Fit ? -1 : number;
            if (dpi < 0 || VIEW_ResolutionIndex(dpi) < 0)
                return Fail(error, "--dpi takes fit, 150, 300, 600, 1200 or 2400, not \"" + value + "\"");
            result.m_dpi = dpi;
        } else if (arg == "--mag") {
            const int mag = Decimal(value);
            if (VIEW_MagnificationIndex(mag) < 0)
                return Fail(error, "--mag takes 1, 2, 4, 8 or 16, not \"" + value + "\"");
            result.m_mag = mag;
        } else if (arg == "--untick") {
            for (const std::string& ink : SplitCommas(value)) {
                if (ink.empty())
                    return Fail(error, "--untick takes ink names or indexes separated by commas, not \"" + value +
                                           "\"");
                result.m_untick.push_back(ink);
            }
        } else {
            if (value.empty())
                return Fail(error, "--out needs a folder");
            result.m_outDir = value;
        }
    }
    if (result.m_mag != 0 && result.m_dpi == VIEW_ProgramArgs::Fit)
        return Fail(error, "--mag needs a fixed resolution: magnification does not apply to --dpi fit");
    *parsed = result;
    return true;
}

int VIEW_ResolutionIndex(int dpi) {
    const auto found = std::find(std::begin(kResolutions), std::end(kResolutions), dpi);
    return found == std::end(kResolutions) ? -1 : static_cast<int>(found - std::begin(kResolutions));
}

int VIEW_ResolutionDpi(int index) {
    return index >= 0 && index < static_cast<int>(std::size(kResolutions)) ? kResolutions[index]
                                                                             : VIEW_ProgramArgs::Fit;
}

std::string VIEW_ProgramUsage() {
    return "usage: tintscope [FILE.pdf] [--page N] [--dpi fit|150|300|600|1200|2400] [--mag 1|2|4|8|16] "
           "[--untick INK,...] [--out DIR]\n"
           "  FILE.pdf          the PDF file to separate; without it, a sample page\n"
           "  --page N          the page to separate, from 1 (default 1)\n"
           "  --dpi D           the plates' resolution; fit makes the page about 100 dpi (default 300,\n"
           "                    or 150 for a page too large for 300)\n"
           "  --mag M           the preview shows the middle 1/M of the view, M times larger\n"
           "  --untick INK,...  inks left out of the preview, by name or index\n"
           "  --out DIR         the folder for preview.png, the plates and inks.txt (default .)\n"
           "  --help, -h        this text\n";
}

int VIEW_MagnificationIndex(int mag) {
    const auto found = std::find(std::begin(kMagnifications), std::end(kMagnifications), mag);
    return found == std::end(kMagnifications) ? -1 : static_cast<int>(found - std::begin(kMagnifications));
}
