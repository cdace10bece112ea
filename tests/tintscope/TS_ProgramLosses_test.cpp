// What the drawing of the plates lost, said once per loss of the inks whose
// drawings met it.
#include "viewer/program/VIEW_ProgramLosses.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

TEST(TS_ProgramLosses, EachLossNamesTheInksWhoseDrawingsMetIt) {
    const std::vector<std::string> cmyk = {"Cyan", "Magenta", "Yellow", "Black"};
    const std::string what = " what the drawing could not read of its content: ";
    const struct {
        const char* shape;
        std::vector<std::pair<std::string, std::string>> heard;  // ink, words
        std::vector<std::string> inks;
        std::vector<std::string> lines;
    } rows[] = {
        {"nothing lost", {{"Cyan", ""}, {"Black", ""}}, cmyk, {}},
        {"one ink, drawn twice", {{"Cyan", ""}, {"Black", "cut"}, {"Black", "cut"}}, cmyk,
         {"ink Black may lack" + what + "cut"}},
        {"two inks", {{"Cyan", "cut"}, {"Magenta", ""}, {"Black", "cut"}}, cmyk,
         {"inks Cyan and Black may lack" + what + "cut"}},
        {"three inks, in the order drawn", {{"Yellow", "cut"}, {"Cyan", "cut"}, {"Black", "cut"}}, cmyk,
         {"inks Yellow, Cyan and Black may lack" + what + "cut"}},
        {"every ink", {{"Cyan", "cut"}, {"Magenta", "cut"}, {"Yellow", "cut"}, {"Black", "cut"}}, cmyk,
         {"every ink may lack" + what + "cut"}},
        {"two losses, in the order first heard", {{"Cyan", "b"}, {"Magenta", "a"}, {"Black", "b"}}, cmyk,
         {"inks Cyan and Black may lack" + what + "b", "ink Magenta may lack" + what + "a"}},
        {"a drawing of no ink", {{"", "cut"}}, cmyk, {"a plate may lack" + what + "cut"}},
        {"names and words escaped", {{"Ink\x1b", "bad\x07"}}, {"Ink\x1b"}, {"ink Ink#1b may lack" + what + "bad#07"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.shape);
        VIEW_ProgramLosses losses;
        for (const auto& heard : row.heard)
            losses.Hear(heard.first, heard.second);
        EXPECT_EQ(losses.TakeLines(row.inks), row.lines);
        EXPECT_TRUE(losses.TakeLines(row.inks).empty());  // each said once
    }
}

}  // namespace
