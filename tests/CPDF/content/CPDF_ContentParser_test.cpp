#include "CPDF/content/CPDF_ContentParser.h"

#include "CPDF/content/ContentParserTestUtil.h"
#include "CPDF/content/ContentTestUtil.h"

#include <gtest/gtest.h>
#include <zlib.h>

// One operator per line with its offset and operands, and the raw data of
// each inline image: the same in every chunking.
TEST(CPDF_ContentParser, ContentSampleMatchesTheGoldenDump) {
    const std::string dir = TINTSCOPE_TEST_DATA_DIR;
    const std::string input = ReadWholeFile(dir + "/CPDF_ContentParser_content.txt");
    const std::string expected = ReadWholeFile(dir + "/CPDF_ContentParser_content.dump");
    ASSERT_FALSE(input.empty() || expected.empty());
    for (const std::vector<size_t>& sizes : GLOB_TestChunkings()) {
        SCOPED_TRACE(sizes[0]);
        EXPECT_EQ(Dump(input, sizes), expected);
    }
}

TEST(CPDF_ContentParser, EveryStepOrItsRefusal) {
    LogCapture quiet;
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "end\n"},
        {"q q Q Q Q", "0 q\n2 q\n4 Q\n6 Q\n8 Q\nend\n"},
        {"1 )", "stopped: Error parsing token: Unexpected closing )\n"},
        // Legality in each state; BX admits only unknown operators.
        {"BT 0 0 m", "0 BT\nstopped: m is illegal within a Text Object, operator must occur within: "
                     "Page Description, Path Object.\n"},
        {"BT q", "0 BT\nstopped: q is illegal within a Text Object, operator must occur within: Page Description.\n"},
        {"0 0 m q", "4 m 0 0\nstopped: q is illegal within a Path Object, operator must occur within: "
                    "Page Description.\n"},
        {"BI /W 1 q ID", "0 BI\nstopped: q is illegal within a Inline Image Object, operator must occur within: "
                         "Page Description.\n"},
        {"EI", "stopped: EI is illegal within a Page Description, operator must occur within: "
               "Inline Image Object.\n"},
        {"BX 0 0 m BT", "0 BX\n7 m 0 0\nstopped: BT is illegal within a Path Object, operator must occur within: "
                        "Page Description.\n"},
        {"foo", "stopped: Unknown operator encountered: foo\n"},
        {"EX", "stopped: EX encountered with no corrsponding BX\n"},
        {"BX foo EX", "0 BX\n3 foo\n7 EX\nend\n"},
        {"BX BX EX foo EX", "0 BX\n3 BX\n6 EX\n9 foo\n13 EX\nend\n"},
        {"BX EX foo", "0 BX\n3 EX\nstopped: Unknown operator encountered: foo\n"},
        {"0 0 m DumpGS BT DumpGS BX EX ET", "4 m 0 0\n6 DumpGS\nstopped: BT is illegal within a Path Object, "
                                           "operator must occur within: Page Description.\n"},
        // Operand counts and kinds.
        {"1 0 0 1 10 cm", "stopped: cm is expecting 6 operands. Found 5:   [0]: 10\n  [1]: 1\n  [2]: 0\n  [3]: 0\n"
                          "  [4]: 1\n\n"},
        {"1 0 0 1 10 /x cm", "stopped: cm operator requires 6 numeric operands. Found:   [0]: /x\n  [1]: 10\n"
                             "  [2]: 1\n  [3]: 0\n  [4]: 0\n  [5]: 1\n\n"},
        {"Print", "stopped: Print is expecting 1 operands. Found 0: \n"},
        {"Do", "stopped: Do is expecting 1 operands. Found 0: \n"},
        {"1 2 3 4 d1 ", "stopped: d1 is expecting 6 operands. Found 4:   [0]: 4\n  [1]: 3\n  [2]: 2\n  [3]: 1\n\n"},
        {"sh PS", "stopped: sh is expecting 1 operands. Found 0: \n"},
        {"BT (abc) 2 Td ET", "0 BT\nstopped: Td operator requires 2 numeric operands. Found:   [0]: 2\n"
                             "  [1]: (abc)\n\n"},
        {"BT 1 2 3 4 5 Tm", "0 BT\nstopped: Tm is expecting 6 operands. Found 5:   [0]: 5\n  [1]: 4\n  [2]: 3\n"
                            "  [3]: 2\n  [4]: 1\n\n"},
        {"BT \" ET", "0 BT\nstopped: \" is expecting 3 operands. Found 0: \n"},
        {"BT (x) Tj ET", "0 BT\n7 Tj (x)\n10 ET\nend\n"},
        // The path operators' operand errors pass out of the step, named by
        // their operator.
        {"0 0 m 5 l", "4 m 0 0\nthrew plain 1151001 operator l: Expected 2 arguments, found 1\n"},
        {"0 /a m", "threw plain 1151006 operator m: Expected numeric control point, found: (0, /a)\n"},
        {"m", "threw plain 1151001 operator m: Expected 2 arguments, found 0\n"},
        {"0 0 m 1 2 3 re", "4 m 0 0\nthrew plain 1151001 operator re: Expected 4 arguments, found 3\n"},
        // Inline-image dictionaries.
        {"BI /W ID x EI", "0 BI\nstopped: Inline Image arguments don't form a dictionary\n"},
        {"BI /W 1 >> ID x EI", "0 BI\nstopped: Inline image dict logic failed.  Beginning dict marker missing.\n"},
        {"BI /W 1 /H 1 /BPC 8 /CS /G ID", "0 BI\nstopped: Stream missing inline image data.\n"},
        {"BI /W 1 /H 1 /BPC 8 /CS /G ID x EI", "0 BI\n27 ID -dict- data=x\n32 EI\nend\n"},
        // A byte more than the image needs is passed over to its EI.
        {"BI /W 1 /H 1 /BPC 8 /CS /G ID xz EI", "0 BI\n27 ID -dict- data=x\n33 EI\nend\n"},
    };
    for (const auto& [content, expected] : cases) {
        for (const std::vector<size_t>& sizes : {std::vector<size_t>{0}, std::vector<size_t>{1}}) {
            SCOPED_TRACE(content + " in chunks of " + std::to_string(sizes[0]));
            EXPECT_EQ(Dump(content, sizes), expected);
        }
    }
}

// Image data the client leaves unread, reads, or reads and closes are
// skipped up to EI, in every chunking; data that fail while skipped stop the
// parse.
TEST(CPDF_ContentParser, ImageDataAreSkippedWhateverTheClientDid) {
    const std::string zipped = [] {
        std::string data(64, '\0');
        uLongf size = static_cast<uLongf>(data.size());
        compress(reinterpret_cast<Bytef*>(&data[0]), &size, reinterpret_cast<const Bytef*>("EI EI EI Q"), 10);
        return data.substr(0, size);
    }();
    const std::string twoImages = "BI /W 2 /H 1 /BPC 8 /CS /G /F /AHx ID 0A0B> EI q BI /W 10 /H 1 /BPC 8 /CS /G "
                                  "/F /Fl ID " + zipped + " EI Q";
    const std::string plain = "BI /W 2 /H 1 /BPC 8 /CS /G ID xy EI q";
    const struct {
        std::string content;
        bool read;   // the client reads the first image's raw data
        bool close;  // and then closes it
        std::string ops;
    } cases[] = {
        {twoImages, false, false, "BI ID EI q BI ID EI Q "},
        {plain, true, false, "BI ID EI q "},
        {plain, true, true, "BI ID EI q "},
        // Damaged data end where their decoder fails; the content goes on.
        {"BI /W 2 /H 1 /BPC 8 /CS /G /F /AHx ID 0AGB> EI Q", false, false, "BI ID EI Q "},
    };
    for (const auto& c : cases) {
        for (const std::vector<size_t>& sizes : GLOB_TestChunkings()) {
            SCOPED_TRACE(c.content.substr(0, 40) + " in chunks of " + std::to_string(sizes[0]));
            CPDF_ContentParser parser;
            parser.Start(Chunked(c.content, sizes), GLOB_Object());
            std::string ops;
            const std::string thrown = Thrown([&] {
                while (parser.Step()) {
                    ops += std::string(parser.OperatorText()) + " ";
                    if (ops == "BI ID " && c.read) {
                        GLOB_Stream data = parser.InlineImage().Stream(0);
                        EXPECT_EQ(ReadAll(data), "xy");
                        if (c.close)
                            data.Close();
                    }
                }
            });
            if (thrown != "no exception")
                ops += "threw " + thrown.substr(0, 14);
            EXPECT_EQ(ops, c.ops);
            EXPECT_EQ(parser.IsStopped(), thrown != "no exception") << parser.ErrorMessage();
            EXPECT_FALSE(parser.Step());
        }
    }
}

TEST(CPDF_ContentParser, StateAndCTMAfterEveryStep) {
    CPDF_ContentParser parser;
    parser.Start(Chunked("q 2 0 0 2 10 20 cm 0 0 m 10 10 l S Q"), GLOB_Object());
    std::string steps;
    while (parser.Step()) {
        std::ostringstream os;
        os << parser.OperatorText() << " " << parser.ObjectState().StateName() << " " << parser.GraphicsState().CTM();
        steps += os.str() + "\n";
    }
    EXPECT_EQ(steps, "q Page Description [ 1 0 0 1 0 0 ]\n"
                     "cm Page Description [ 2 0 0 2 10 20 ]\n"
                     "m Path Object [ 2 0 0 2 10 20 ]\n"
                     "l Path Object [ 2 0 0 2 10 20 ]\n"
                     "S Page Description [ 2 0 0 2 10 20 ]\n"
                     "Q Page Description [ 1 0 0 1 0 0 ]\n");
    EXPECT_FALSE(parser.IsStopped());
    EXPECT_TRUE(parser.IsEndOfData());
    // Stroking leaves the path, without a fill rule, for the client.
    EXPECT_EQ(Walk(parser.Path()), "m 0 0|l 10 10");
    EXPECT_EQ(parser.Path().FillRule(), 0u);
}

TEST(CPDF_ContentParser, PaintingSetsTheFillRuleAndTheClipFollowsOneStepLater) {
    const struct {
        const char* content;
        const char* walk;  // the path after the painting operator
        uint32_t fillRule;
        std::vector<uint32_t> clipRules;  // the clip one step later
    } cases[] = {
        {"0 0 m 10 0 l 10 10 l h f q", "m 0 0|l 10 0|l 10 10|h", 1, {}},
        {"0 0 m 10 10 l s q", "m 0 0|l 10 10|h", 0, {}},
        {"0 0 m 10 10 l b* q", "m 0 0|l 10 10|h", 2, {}},
        {"0 0 10 10 re W n q", "re 0 0 10 10", 0, {1}},
        {"2 0 0 2 0 0 cm 0 0 10 10 re W* f q", "re 0 0 10 10", 1, {2}},
        {"0 0 10 10 re W W* B q", "re 0 0 10 10", 1, {1, 2}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.content);
        CPDF_ContentParser parser;
        parser.Start(Chunked(c.content), GLOB_Object());
        while (parser.Step() && std::string(parser.OperatorText()) != "q") {
        }
        EXPECT_EQ(parser.PendingClip().NumPaths(), 0u);
        const CPDF_PathList clip = parser.GraphicsState().ClipPath();
        ASSERT_EQ(clip.NumPaths(), c.clipRules.size());
        for (uint32_t i = 0; i < clip.NumPaths(); ++i) {
            EXPECT_EQ(clip.Path(i).FillRule(), c.clipRules[i]);
            // Mapped by the CTM of W's moment.
            EXPECT_EQ(Corners(clip.Path(i).BoundingBox()), Corners(PathOf("0 0 10 10 re", parser.GraphicsState().CTM()).BoundingBox()));
        }
        EXPECT_EQ(Walk(parser.Path()), c.walk);
        EXPECT_EQ(parser.Path().FillRule(), c.fillRule);
    }
    // At the painting step the clip is still the old one.
    CPDF_ContentParser parser;
    parser.Start(Chunked("0 0 10 10 re W n"), GLOB_Object());
    for (const char* op : {"re", "W", "n"}) {
        ASSERT_TRUE(parser.Step());
        EXPECT_STREQ(parser.OperatorText(), op);
    }
    EXPECT_EQ(parser.GraphicsState().ClipPath().NumPaths(), 0u);
    EXPECT_EQ(parser.PendingClip().NumPaths(), 1u);
}

// Every q saves the state whose clip the next level extends: the memory the
// saved states hold grows with the depth, not with its square.
TEST(CPDF_ContentParser, NestedClipsHoldMemoryInProportionToTheirDepth) {
    const auto heldAtDepth = [](int depth) {
        std::string content;
        for (int i = 0; i < depth; ++i)
            content += "q 0 0 200 200 re W n\n";
        const size_t before = LiveHeapBytes();
        CPDF_ContentParser parser;
        parser.Start(Chunked(content, {4096}), GLOB_Object());
        while (parser.Step()) {
        }
        EXPECT_EQ(parser.GraphicsState().ClipPath().NumPaths(), static_cast<uint32_t>(depth));
        const size_t after = LiveHeapBytes();
        return after > before ? static_cast<double>(after - before) : 0.0;
    };
    const double small = heldAtDepth(1000);
    const double large = heldAtDepth(4000);
    ASSERT_GT(small, 0.0);
    // Four times the depth, four times the states; half as much again for
    // the allocator's rounding.
    EXPECT_LT(large, 6 * small) << small << " bytes at 1,000 levels, " << large << " at 4,000";
}

TEST(CPDF_ContentParser, TextPositioningMovesBothMatrices) {
    const struct {
        const char* content;
        GLIB_Matrix line;
        double leading;
        double wordSpacing, charSpacing;
    } cases[] = {
        {"BT 100 700 Td ET", {1, 0, 0, 1, 100, 700}, 0, 0, 0},
        // The move is made in text space, before the Tm.
        {"BT 10 0 0 10 50 50 Tm 0 -2 Td ET", {10, 0, 0, 10, 50, 30}, 0, 0, 0},
        {"BT 0 -14 TD T* ET", {1, 0, 0, 1, 0, -28}, 14, 0, 0},
        {"BT 2 0 0 2 0 0 Tm 3 4 TD ET", {2, 0, 0, 2, 6, 8}, -4, 0, 0},
        // ' and " go to the next line first; " sets both spacings for good.
        {"BT 0 -14 TD (a) ' 3 1 (b) \" ET", {1, 0, 0, 1, 0, -42}, 14, 3, 1},
        {"BT 5 TL 2 Tw (a) ' /x 4 (b) \" ET", {1, 0, 0, 1, 0, -10}, 5, 2, 4},
        // BT starts from the identity again.
        {"BT 1 0 0 1 5 5 Tm ET BT", {}, 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.content);
        CPDF_ContentParser parser;
        parser.Start(Chunked(c.content), GLOB_Object());
        while (parser.Step()) {
        }
        ASSERT_FALSE(parser.IsStopped()) << parser.ErrorMessage();
        const CPDF_TextState text = parser.GraphicsState().TextState();
        EXPECT_TRUE(text.LineMatrix() == c.line);
        EXPECT_TRUE(text.TextMatrix() == c.line);
        EXPECT_EQ(text.Leading(), c.leading);
        EXPECT_EQ(text.WordSpacing(), c.wordSpacing);
        EXPECT_EQ(text.CharSpacing(), c.charSpacing);
    }
}

TEST(CPDF_ContentParser, NullStatesAcceptWithoutEffect) {
    iCPDF_CPStateBase::SelectStates(0);
    for (const char* content : {"BT (x) 5 Tm T* Tj ET", "0 0 m 10 10 l S", "0 0 10 10 re W n q"}) {
        SCOPED_TRACE(content);
        CPDF_ContentParser parser;
        parser.Start(Chunked(content), GLOB_Object());
        while (parser.Step()) {
        }
        EXPECT_FALSE(parser.IsStopped()) << parser.ErrorMessage();
        EXPECT_STREQ(parser.ObjectState().StateName(), "Page Description");
        EXPECT_EQ(parser.Path().NumOperators(), 0u);
        EXPECT_EQ(parser.GraphicsState().ClipPath().NumPaths(), 0u);
        EXPECT_TRUE(parser.GraphicsState().TextState().TextMatrix() == GLIB_Matrix());
    }
    iCPDF_CPStateBase::SelectStates(iCPDF_CPStateBase::SelectPathState | iCPDF_CPStateBase::SelectTextState);
}

TEST(CPDF_ContentParser, StartResetsEverythingAndNeverChangesTheCallersState) {
    CPDF_GraphicsState caller;
    caller.SetCTM(GLIB_Matrix(1, 0, 0, 1, 5, 5));
    CPDF_ContentParser parser;
    parser.Start(Chunked("q 2 0 0 2 0 0 cm BX 0 0 10 10 re W n"), GLOB_Object(), caller);
    while (parser.Step()) {
    }
    EXPECT_TRUE(parser.GraphicsState().CTM() == GLIB_Matrix(2, 0, 0, 2, 5, 5));
    EXPECT_TRUE(caller.CTM() == GLIB_Matrix(1, 0, 0, 1, 5, 5));
    parser.Start(Chunked("Q foo"), GLOB_Object());
    ASSERT_TRUE(parser.Step());  // nothing saved: Q changes nothing
    EXPECT_TRUE(parser.GraphicsState().CTM() == GLIB_Matrix());
    EXPECT_EQ(parser.BXDepth(), 0u);
    EXPECT_FALSE(parser.Step());
    EXPECT_EQ(parser.ErrorMessage(), "Unknown operator encountered: foo");
    EXPECT_EQ(parser.GraphicsState().ClipPath().NumPaths(), 0u);
    EXPECT_EQ(parser.PendingClip().NumPaths(), 0u);

    // A form: its matrix applied first, its box a clip.
    parser.Start(Chunked(""), GLOB_Object(), caller, GLIB_Matrix(2, 0, 0, 2, 0, 0), GLIB_Rect(0, 0, 10, 20));
    EXPECT_TRUE(parser.GraphicsState().CTM() == GLIB_Matrix(2, 0, 0, 2, 5, 5));
    ASSERT_EQ(parser.GraphicsState().ClipPath().NumPaths(), 1u);
    EXPECT_EQ(Corners(parser.GraphicsState().ClipPath().Path(0).BoundingBox()), (std::vector<double>{5, 5, 25, 45}));
    EXPECT_EQ(parser.GraphicsState().ClipPath().Path(0).FillRule(), 1u);  // a clip path carries its rule
    EXPECT_TRUE(caller.CTM() == GLIB_Matrix(1, 0, 0, 1, 5, 5));
}

TEST(CPDF_ContentParser, DebuggingOperatorsLogAndCodesOutsideTheTableAreUnknown) {
    LogCapture log;
    CPDF_ContentParser parser;
    parser.SetTrace(true);
    parser.Start(Chunked("(hi) Print BT DumpGS ET"), GLOB_Object());
    while (parser.Step()) {
    }
    EXPECT_FALSE(parser.IsStopped());
    EXPECT_TRUE(log.Contains(GLIB_LogInfo, "(hi)"));
    EXPECT_TRUE(log.Contains(GLIB_LogInfo, "***** Graphics State *****"));
    EXPECT_TRUE(log.Contains(GLIB_LogInfo, "Changing state from Page Description to Text Object"));
    for (int32_t code : {-1, 76, 1000}) {
        EXPECT_FALSE(iCPDF_CPStateBase::Dispatch(iCPDF_CPStateBase::PageState(), code, parser));
        EXPECT_EQ(parser.ErrorMessage(), "Unknown operator encountered: ET");
    }
}

TEST(CPDF_ContentOperator, TableHoldsEveryOperatorAtItsCode) {
    using Table = CPDF_ContentOperatorTable;
    ASSERT_EQ(Table::Size(), 76);
    for (int32_t code = 0; code < Table::Size(); ++code)
        EXPECT_EQ(Table::Find(Table::Name(code)), code) << Table::Name(code);
    const std::pair<const char*, int32_t> known[] = {
        {"b", 0}, {"B", 1}, {"BI", 5}, {"cm", 10}, {"ID", 30}, {"W*", 70}, {"'", 72}, {"\"", 73}, {"Print", 75},
        {"bx", -1}, {"", -1}, {"DumpGs", -1},
    };
    for (const auto& [name, code] : known)
        EXPECT_EQ(Table::Find(name), code) << name;
    // The states read each row's legal states by its code.
    for (int32_t code = 0; code < CPDF_ContentOperator::NumCodes; ++code)
        EXPECT_EQ(CPDF_ContentOperator::Declared[code].m_op, code);
}
