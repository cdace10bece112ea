// The program's command line:
//   tintscope [FILE.pdf] [--page N] [--dpi fit|150|300|600|1200|2400]
//             [--mag 1|2|4|8|16] [--untick INK,...] [--out DIR]
// Options take their value as the next argument or after "=". Without FILE
// the program runs on its sample page. Errors are one line for standard
// error; the program exits 2 on them.
#pragma once

#include <string>
#include <vector>

struct VIEW_ProgramArgs {
    // No resolution asked for: the view's own choice stays.
    static constexpr int ViewsChoice = -1;
    // Resolution "fit".
    static constexpr int Fit = 0;

    bool m_help = false;  // --help or -h: the usage and nothing else
    std::string m_file;   // empty: the sample page
    int m_page = 1;       // from 1
    int m_dpi = ViewsChoice;  // ViewsChoice, Fit, or 150 to 2400
    int m_mag = 0;            // 0: not asked for; else 1, 2, 4, 8 or 16
    std::vector<std::string> m_untick;  // names as the ink list shows them, or indexes
    std::string m_outDir = ".";
};

// args as main gets them, without the program's name. False with error
// set when they are not a command line of the program.
bool VIEW_ParseProgramArgs(const std::vector<std::string>& args, VIEW_ProgramArgs* parsed, std::string* error);

// The resolution index of the Separations dialog for dpi: 0 for Fit, 1 to 5
// for 150 to 2400; the magnification index for mag: 0 to 4 for 1 to 16.
int VIEW_ResolutionIndex(int dpi);
// The dpi of a resolution index; Fit for 0 and for an index outside 0 to 5.
int VIEW_ResolutionDpi(int index);
int VIEW_MagnificationIndex(int mag);

// The usage line, then one line per option.
std::string VIEW_ProgramUsage();
