// What the drawing of the page's plates could not read, gathered per ink:
// each ink is drawn on its own, so a loss heard while some inks' pages are
// drawn is said of those inks, once for all of them, after every plate is
// drawn. What was heard is what those plates may lack: whether it shows on
// a plate is not told.
//
// Lines (one per loss, in the order first heard), as the program says
// them after "page N: ":
//   ink Cyan may lack what the drawing could not read of its content: WORDS
//   inks Cyan and Black may lack what ...      (two or more, not every ink)
//   inks Cyan, Magenta and Black may lack what ...
//   every ink may lack what ...                (every ink of two or more)
//   a plate may lack what ...                  (a drawing of no ink)
// Ink names and words as VIEW_EscapedText writes them.
#pragma once

#include <string>
#include <vector>

class VIEW_ProgramLosses {
public:
    // A drawing of the ink named ink ("" for a drawing of no ink) whose
    // reading lost what MuPDF's words say; words "" for none.
    void Hear(const std::string& ink, const std::string& words);

    // The lines, given the names of every ink of the page; each loss is
    // given once, then forgotten.
    std::vector<std::string> TakeLines(const std::vector<std::string>& inks);

private:
    struct Loss {
        std::string m_words;
        std::vector<std::string> m_inks;  // in the order heard, each once; none: a drawing of no ink
    };
    std::vector<Loss> m_losses;
};
