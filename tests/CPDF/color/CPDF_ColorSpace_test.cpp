#include "CPDF/color/CPDF_ColorSpace.h"

#include "CPDF/color/CPDF_CalGrayColorSpace.h"
#include "CPDF/color/CPDF_DeviceColorSpace.h"
#include "CPDF/color/CPDF_DeviceNColorSpace.h"
#include "CPDF/color/CPDF_ICCBasedColorSpace.h"
#include "CPDF/color/CPDF_IndexedColorSpace.h"
#include "CPDF/color/CPDF_PatternColorSpace.h"
#include "CPDF/color/CPDF_SeparationColorSpace.h"
#include "ColorSpaceTestUtil.h"

#include <gtest/gtest.h>

// Every edge case through the constructor and the validator. A valid object
// makes a space of its kind; an invalid one throws 1128003 whose text is the
// validator's (TypeFromObject's texts gain the validator's newline).
TEST(CPDF_ColorSpace, EdgeCasesThroughConstructorAndValidator) {
    const GLOB_Doc doc = NewMemoryDoc();
    const auto p = [&](const std::string& text) { return doc.ParseObject(text.c_str()); };
    const auto icc = [&](const char* dict) { return IccSpace(doc, dict); };
    const char* const XYZ1 = "Color in XYZ space should have nonnegative values, in component 1 found ";
    const struct {
        GLOB_Object object;
        int kind;  // when valid
        std::string text;
    } cases[] = {
        // Sorting into kinds: exact names, no abbreviations.
        {p("/RGB"), -1, "Unknown ColorSpace name: RGB\n"},
        {p("/G"), -1, "Unknown ColorSpace name: G\n"},
        {p("[]"), -1, "ColorSpaces in array form must have length of at least 1, found length 0\n"},
        {p("[1]"), -1, "ColorSpaces in array form must have a Name at index 0, found Integer\n"},
        {p("<< >>"), -1, "A colorspace must be an Array or Name, found Dict\n"},
        // Device spaces.
        {p("/DeviceRGB"), CPDF_ColorSpace::DeviceRGB, "valid"},
        {p("/DeviceGray"), CPDF_ColorSpace::DeviceGray, "valid"},
        {p("[/DeviceRGB]"), CPDF_ColorSpace::DeviceRGB, "valid"},
        {p("[/DeviceCMYK /DeviceCMYK]"), -1, "DeviceCMYK colorspace array must be of length 1, found array of length 2\n"},
        // Indexed.
        {p("[/Indexed /DeviceRGB 255 <" + std::string(1536, 'F') + ">]"), CPDF_ColorSpace::Indexed, "valid"},
        {p("[/Indexed /DeviceRGB 256 (x)]"), -1, "Indexed colorspaces must have at most 256 samples, not 257\n\n"},
        {p("[/Indexed /DeviceRGB -1 (x)]"), -1, "Indexed colorspace maximum index should be non-negative, found -1\n"},
        {p("[/Indexed /DeviceRGB 1.0 (x)]"), -1, "Indexed colorspace maximum index should be an integer, found Real\n"},
        {p("[/Indexed [/Indexed /DeviceRGB 0 <000000>] 0 <00>]"), -1,
         "Indexed colorspace has invalid base colorspace: "
         "Index colorspaces cannot have a base colorspace of type Indexed\n\n"},
        {p("[/Indexed 7 0 <00>]"), -1,
         "Indexed colorspace has invalid base colorspace: A colorspace must be an Array or Name, found Integer\n"},
        {p("[/Indexed /Foo 300 7]"), -1,
         "Indexed colorspace has invalid base colorspace: Unknown ColorSpace name: Foo\n"
         "Indexed colorspaces must have at most 256 samples, not 301\n\n"
         "Indexed colorspace lookup table must either be a stream or a string, found Integer\n"},
        {p("[/Indexed /DeviceRGB 1]"), -1, "Indexed colorspace array length must be 4, found 3\n"},
        // Pattern.
        {p("/Pattern"), CPDF_ColorSpace::Pattern, "valid"},
        {p("[/Pattern /DeviceGray]"), CPDF_ColorSpace::Pattern, "valid"},
        {p("[/Pattern /Pattern]"), -1,
         "Pattern colorspace has invalid base colorspace: "
         "Pattern colorspace cannot have a base colorspace of type Pattern\n\n"},
        {p("[/Pattern /DeviceRGB 1]"), -1, "Pattern colorspace array length must be 1 or 2, found 3\n"},
        // Separation; the tint transform is not examined.
        {p("[/Separation /All /DeviceCMYK << >>]"), CPDF_ColorSpace::Separation, "valid"},
        {p("[/Separation /None /DeviceGray 0]"), CPDF_ColorSpace::Separation, "valid"},
        {p("[/Separation /Spot [/Indexed /DeviceGray 0 <00>] << >>]"), -1,
         "Separation colorspace has invalid alternate colorspace: Invalid separation alternate colorspace: Indexed\n\n"},
        {p("[/Separation /Spot /DeviceGray]"), -1, "Separation colorspace array length must be 4, found 3\n"},
        {p("[/Separation 1 /Foo << >>]"), -1,
         "Separation colorspace array entry 1 must be a colornat name, found 1\n"
         "Separation colorspace has invalid alternate colorspace: Unknown ColorSpace name: Foo\n"},
        // DeviceN.
        {p("[/DeviceN [/None /None /Spot] /DeviceCMYK << >>]"), CPDF_ColorSpace::DeviceN, "valid"},
        {p("[/DeviceN [/A /B] /DeviceCMYK << >> /Anything]"), CPDF_ColorSpace::DeviceN, "valid"},
        {p("[/DeviceN [/A /B /A] /DeviceCMYK << >>]"), -1, "Colorant array contains repeated entry A\n\n"},
        {p("[/DeviceN [/A 1] /Lab << >>]"), -1,
         "DeviceN colorspace colorant vector must contain names, at index 1 found Integer\n"
         "DeviceN colorspace has invalid alternate colorspace: Lab colorspace must be type Array, found Name\n\n"},
        {p("[/DeviceN [/A] /DeviceGray << >> 5 6]"), -1, "DeviceN colorspace array length must be 4 or 5, found 6\n"},
        {p("[/DeviceN /A /Pattern << >>]"), -1,
         "DeviceN colorspace array entry 1 must be an array, found /A\n"
         "DeviceN colorspace has invalid alternate colorspace: Invalid DeviceN alternate colorspace: Pattern\n\n"},
        // CalGray and the shared CIE steps.
        {p("[/CalGray << /WhitePoint [1 1 1] /Gamma 2 >>]"), CPDF_ColorSpace::CalGray, "valid"},
        {p("[/CalGray << >>]"), -1,
         "CalGray colorspace missing whitepoint.\n"
         "CalGray colorspace has invalid whitepoint: Color should be an array, found Null\n\n"},
        {p("[/CalGray << /WhitePoint [0.9505 0.5 1.089] >>]"), -1,
         "CalGray colorspace has invalid whitepoint: White point color in XYZ space should have Y = 1, found 0.5\n\n"},
        {p("[/CalGray << /WhitePoint [1 1] >>]"), -1,
         "CalGray colorspace has invalid whitepoint: Color in XYZ space should have 3 components, found 2\n\n"},
        {p("[/CalGray << /WhitePoint [1 1 1] /BlackPoint [0 -0.1 0] >>]"), -1,
         std::string("CalGray colorspace has invalid blackpoint: ") + XYZ1 + "-0.1\n\n"},
        {p("[/CalGray << /WhitePoint [1 1 1] /Gamma 0 >>]"), -1,
         "CalGray colorspace has invalid gamma: CalGray gamma value must be non-negative, found 0\n\n"},
        {p("[/CalGray << /WhitePoint [1 1 1] /Gamma /G >>]"), -1, "CalGray gamma must be a number, found Name\n"},
        {p("[/CalGray]"), -1, "CalGray colorspace array length must be 2, found 1\n"},
        {p("[/CalGray 5]"), -1, "CalGray colorspace array 1 entry must be a dictionary, found Integer\n"},
        // CalRGB.
        {p("[/CalRGB << /WhitePoint [1 1 1] /Gamma [1.8 0 2.2] /Matrix [-1 -1 -1 -1 -1 -1 -1 -1 -1] >>]"),
         CPDF_ColorSpace::CalRGB, "valid"},
        {p("[/CalRGB << /WhitePoint [1 1 1] /Gamma [1.8 -1 2.2] >>]"), -1,
         "CalRGB gamma array entries must be nonnegative. At index 1 found -1\n\n"},
        {p("[/CalRGB << /WhitePoint [1 1 1] /Gamma [1 1] >>]"), -1,
         "CalRGB gamma must be an array of length 3, found length 2\n\n"},
        {p("[/CalRGB << /WhitePoint [1 1 1] /Gamma 2.2 >>]"), -1, "CalRGB Gamma must be an array, found Real\n"},
        {p("[/CalRGB << /WhitePoint [1 1 1] /Matrix [1 0 0 0 1 0 0 0] >>]"), -1,
         "CalRGB Matrix must be an array of length 9, found 8\n"},
        {p("[/CalRGB << /WhitePoint [1 1 1] /Matrix [1 0 0 0 /Y 0 0 0 1] >>]"), -1,
         "CalRGB Matrix entries must be numeric, at index 4 found Name\n"},
        {p("[/CalRGB << /WhitePoint [1 1 1] /BlackPoint [0 -1 0] >>]"), -1,
         std::string("CalRGB colorspace has invalid blackpoint: ") + XYZ1 + "-1\n\n"},
        // Lab.
        {p("[/Lab << /WhitePoint [0.9505 1.0 1.089] >>]"), CPDF_ColorSpace::Lab, "valid"},
        {p("[/Lab << /WhitePoint [1 1 1] /Range [0 0 5 5] >>]"), CPDF_ColorSpace::Lab, "valid"},
        {p("[/Lab << /WhitePoint [1 1 1] /Range [10 -10 10 -10] >>]"), -1,
         "Lab space has invalid 'a*' range: Range start point is greater than its end point: 10 > -10\n\n"
         "Lab space has invalid 'b*' range: Range start point is greater than its end point: 10 > -10\n\n"},
        {p("[/Lab << /WhitePoint [1 1 1] /Range [0 1 2] >>]"), -1, "Lab Range array should be length 4, found 3\n"},
        {p("[/Lab << /WhitePoint [1 1 1] /Range << >> >>]"), -1, "Lab Range entry should be an array, found Dict\n"},
        {p("[/Lab << /WhitePoint [1 1 1] /Range [/A 1 10 -10] >>]"), -1,
         "Lab Range parameters should be numeric, found 'a*' range: [/A, 1]\n"
         "Lab space has invalid 'b*' range: Range start point is greater than its end point: 10 > -10\n\n"},
        // ICCBased.
        {icc("<< /N 3 >>"), CPDF_ColorSpace::ICCBased, "valid"},
        {icc("<< /N 3 /Range [1 0 0 1 0 1] /Alternate [/CalRGB << /WhitePoint [1 1 1] >>] >>"),
         CPDF_ColorSpace::ICCBased, "valid"},
        {icc("<< /N 2 /Range 5 >>"), -1,
         "ICCBased colorspace invalid dimension: ICCBased colorspace dimension must be 1, 3, or 4; found 2\n\n"},
        {icc("<< /Alternate /Foo >>"), -1, "ICCBased colorspace missing dimension.\n"},
        {icc("<< /N 3.0 >>"), -1, "ICCBaseed colorspace dimension should be an integer, found Real\n"},
        {icc("<< /N 3 /Alternate /DeviceCMYK >>"), -1,
         "ICCBased colorspace has invalid alternate space: "
         "ICCBased alternate colorspace dimension must match space dimension. Expected 3, found 4\n\n"},
        {icc("<< /N 3 /Alternate /Foo >>"), -1,
         "ICCBased colorspace has invalid alternate space: Unknown ColorSpace name: Foo\n"},
        {icc("<< /N 1 /Alternate /Pattern /Range [0 1 0 1 0] >>"), -1,
         "ICCBased colorspace has invalid alternate space: "
         "ICCBased alternate colorspace dimension must match space dimension. Expected 1, found 0\n"
         "ICCBased alternate colorspace cannot be a pattern space. \n\n"
         "ICCBased Range parameter should have length 2*Dimension = 2, found 5\n"},
        {icc("<< /N 1 /Range [0 (1)] >>"), -1,
         "ICCBased Range array entries should be numeric, at index 1 found String\n"},
        {p("[/ICCBased << /N 3 >>]"), -1, "ICCBased colorspace array 1 entry must be a stream, found Dict\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Validated(CPDF_ColorSpace::IsValid, c.object), c.text);
        std::string thrown = Thrown([&] {
            const CPDF_ColorSpace space(c.object);
            EXPECT_EQ(space.Type(), c.kind);
            EXPECT_EQ(space.IsDeviceGray(), c.kind == CPDF_ColorSpace::DeviceGray);
            EXPECT_EQ(space.IsLab(), c.kind == CPDF_ColorSpace::Lab);
            EXPECT_EQ(space.Core().Object(), c.object);
        });
        if (c.text == "valid") {
            EXPECT_EQ(thrown, "no exception");
        } else {
            if (thrown.back() != '\n')
                thrown += '\n';
            EXPECT_EQ(thrown, "1128003 " + c.text);
        }
    }
    // A Pattern's underlying space is built with no handler around it.
    EXPECT_EQ(Thrown([&] { CPDF_ColorSpace::IsValid(p("[/Pattern 5]"), nullptr); }),
              "1128003 A colorspace must be an Array or Name, found Integer");
    EXPECT_EQ(Thrown([&] { CPDF_ColorSpace space(p("[/Pattern 5]")); }),
              "1128003 A colorspace must be an Array or Name, found Integer");
}

// The families' own validators, on objects the constructor would have sent
// to another family or refused before.
TEST(CPDF_ColorSpace, FamilyValidatorsJudgeOnlyTheirOwnFamily) {
    const struct {
        bool (*validate)(const GLOB_Object&, std::string*);
        const char* object;
        const char* text;
    } cases[] = {
        {CPDF_DeviceRGBColorSpace::IsValidColorSpace, "/DeviceGray",
         "DeviceRGB colorspace name must be DeviceRGB, found DeviceGray\n"},
        {CPDF_DeviceGrayColorSpace::IsValidColorSpace, "[1]", "DeviceGray colorspace name must be DeviceGray, found 1\n"},
        {CPDF_DeviceCMYKColorSpace::IsValidColorSpace, "5",
         "DeviceCMYK colorspace must be type Name or Array, found Integer\n"},
        {CPDF_SeparationColorSpace::IsValidColorSpace, "[/DeviceN /A /DeviceGray 0]",
         "Separation colorspace array entry 0 must be 'Separation', found /DeviceN\n"},
        {CPDF_SeparationColorSpace::IsValidColorSpace, "/Separation",
         "Separation colorspace must be type Array, found Name\n"},
        {CPDF_DeviceNColorSpace::IsValidColorSpace, "[/Separation [/A] /DeviceGray 0]",
         "DeviceN colorspace array entry 0 must be 'DeviceN', found /Separation\n"},
        {CPDF_IndexedColorSpace::IsValidColorSpace, "/Indexed", "Indexed colorspace must be type Array, found Name\n"},
        {CPDF_IndexedColorSpace::IsValidColorSpace, "[/Pattern /DeviceRGB 0 <000000>]",
         "Indexed colorspace array entry 0 must be 'Indexed', found /Pattern\n"},
        {CPDF_PatternColorSpace::IsValidColorSpace, "/Patterns", "Pattern colorspace name must be Pattern, found Patterns\n"},
        {CPDF_PatternColorSpace::IsValidColorSpace, "1", "Pattern colorspace must be type Name or Array, found Integer\n"},
        {CPDF_PatternColorSpace::IsValidColorSpace, "[/Indexed]",
         "Pattern colorspace array entry 0 must be 'Pattern', found /Indexed\n"},
        {CPDF_CalGrayColorSpace::IsValidColorSpace, "[/CalRGB << >>]",
         "CalGray colorspace array 0 entry must be 'CalGray', found /CalRGB\n"},
        {CPDF_CalGrayColorSpace::IsValidColorSpace, "/CalGray", "CalGray colorspace must be type Array, found Name\n"},
        {CPDF_ICCBasedColorSpace::IsValidColorSpace, "[/ICC 1]",
         "ICCBased colorspace array 0 entry must be 'ICCBased', found /ICC\n"},
        {CPDF_ICCBasedColorSpace::IsValidColorSpace, "[/ICCBased]", "ICCBased colorspace array length must be 2, found 1\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.object);
        EXPECT_EQ(Validated(c.validate, Obj(c.object)), c.text);
    }
}

namespace {

// levels spaces, each an ICCBased space whose "Alternate" is the next, around
// DeviceGray.
GLOB_Object AlternateChain(const GLOB_Doc& doc, int levels) {
    GLOB_Object space = doc.NewName(GLOB_Name("DeviceGray"));
    for (int i = 0; i < levels; ++i) {
        const GLOB_Object outer = IccSpace(doc, "<< /N 1 >>");
        outer.Get(1).DictPut(GLOB_Name("Alternate"), space);
        space = outer;
    }
    return space;
}

// prefix repeated n times, then the nesting refusal and n newlines: what n
// validators that turn 1128003 into a message make of it.
std::string Nested(const std::string& prefix, int n) {
    std::string text;
    for (int i = 0; i < n; ++i)
        text += prefix;
    return text + "ColorSpaces nested more than 16 deep" + std::string(n, '\n');
}

}  // namespace

// Spaces built inside spaces stop at MaxNesting levels: a space that reaches
// itself through an indirect reference ends in 1128003 (or its message)
// instead of overflowing the stack.
TEST(CPDF_ColorSpace, NestingIsBounded) {
    const GLOB_Doc doc = NewMemoryDoc();
    const int max = CPDF_ColorSpace::MaxNesting;
    EXPECT_EQ(CPDF_ColorSpace(AlternateChain(doc, max - 1)).Type(), CPDF_ColorSpace::ICCBased);
    const std::string iccPrefix = "ICCBased colorspace has invalid alternate space: ";
    EXPECT_EQ(Thrown([&] { CPDF_ColorSpace s(AlternateChain(doc, max)); }), "1128003 " + Nested(iccPrefix, max));

    const GLOB_Object stream = StoreStream(doc, "", "<< /N 1 >>");
    const GLOB_Object iccSelf = doc.NewArray(2, true);
    iccSelf.ArrayPut(0, doc.NewName(GLOB_Name("ICCBased")));
    iccSelf.ArrayPut(1, stream);
    stream.DictPut(GLOB_Name("Alternate"), iccSelf);

    GLOB_Object patterns = doc.ParseObject("[/Pattern /DeviceRGB]");
    for (int i = 0; i < 1000; ++i) {
        const GLOB_Object outer = doc.NewArray(2);
        outer.ArrayPut(0, doc.NewName(GLOB_Name("Pattern")));
        outer.ArrayPut(1, patterns);
        patterns = outer;
    }
    // Each construction of a space inside the space is one level; the
    // validator called from outside adds one of its own, uncounted.
    const struct {
        GLOB_Object object;
        std::string prefix;  // empty: the validator lets the refusal through
    } cases[] = {
        {SelfReferring(doc, "[/Indexed null 0 <00>]", 1), "Indexed colorspace has invalid base colorspace: "},
        {iccSelf, iccPrefix},
        {patterns, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.prefix);
        const auto construct = [&] { CPDF_ColorSpace s(c.object); };
        if (c.prefix.empty()) {
            EXPECT_EQ(Thrown(construct), "1128003 ColorSpaces nested more than 16 deep");
            EXPECT_EQ(Thrown([&] { CPDF_ColorSpace::IsValid(c.object, nullptr); }),
                      "1128003 ColorSpaces nested more than 16 deep");
        } else {
            EXPECT_EQ(Thrown(construct), "1128003 " + Nested(c.prefix, max));
            EXPECT_EQ(Validated(CPDF_ColorSpace::IsValid, c.object), Nested(c.prefix, max + 1));
        }
    }
    // A tint space's alternate that holds spaces is refused by its family
    // before it is built: one that is its own alternate says so once.
    const struct {
        GLOB_Object object;
        std::string text;
    } tints[] = {
        {SelfReferring(doc, "[/Separation /Spot null 0]", 2),
         "Separation colorspace has invalid alternate colorspace: Invalid separation alternate colorspace: "
         "Separation\n\n"},
        {SelfReferring(doc, "[/DeviceN [/Spot] null 0]", 2),
         "DeviceN colorspace has invalid alternate colorspace: Invalid DeviceN alternate colorspace: DeviceN\n\n"},
    };
    for (const auto& c : tints) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Thrown([&] { CPDF_ColorSpace s(c.object); }), "1128003 " + c.text);
        EXPECT_EQ(Validated(CPDF_ColorSpace::IsValid, c.object), c.text);
    }
    // The count starts again with the next construction.
    EXPECT_EQ(CPDF_ColorSpace(AlternateChain(doc, 3)).NumComponents(), 1u);
}

// What painting in each family means for the plates, with its counts and
// print. Separation and DeviceN name their inks; Indexed and Pattern answer
// through their base.
TEST(CPDF_ColorSpace, WhatEachFamilyAnswers) {
    const GLOB_Doc doc = NewMemoryDoc();
    using Strings = std::vector<std::string>;
    const Strings process = {"Cyan", "Magenta", "Yellow", "Black"};
    const struct {
        GLOB_Object object;
        std::vector<double> initial;
        Strings named;
        Strings inks;
        const char* printed;
    } cases[] = {
        {Obj("/DeviceGray"), {0}, {}, {"Black"}, "ColorSpace: DeviceGray"},
        {Obj("[/DeviceRGB]"), {0, 0, 0}, {}, process, "ColorSpace: DeviceRGB"},
        {Obj("/DeviceCMYK"), {0, 0, 0, 1}, {}, process, "ColorSpace: DeviceCMYK"},
        {Obj("[/Separation /Spot /DeviceCMYK 0]"), {1}, {"Spot"}, {"Spot"},
         "ColorSpace: Separation [ Colorant 'Spot' AlternateColorSpace ColorSpace: DeviceCMYK ]"},
        {Obj("[/Separation /All /DeviceGray 0]"), {1}, {"All"}, {"All"},
         "ColorSpace: Separation [ Colorant 'All' AlternateColorSpace ColorSpace: DeviceGray ]"},
        {Obj("[/DeviceN [/None /None /Spot] /DeviceCMYK 0]"), {1, 1, 1}, {"None", "None", "Spot"},
         {"None", "None", "Spot"},
         "ColorSpace: DeviceN [ Colorants ( 'None' 'None' 'Spot' )  AlternateColorSpace ColorSpace: DeviceCMYK ]"},
        {Obj("[/Indexed [/Separation /Gold /DeviceGray 0] 1 <0000>]"), {0}, {"Gold"}, {"Gold"},
         "ColorSpace: Indexed [ BaseColorSpace ColorSpace: Separation [ Colorant 'Gold' AlternateColorSpace "
         "ColorSpace: DeviceGray ] NumSamples 2 ]"},
        {Obj("[/Indexed /DeviceRGB 15 <00>]"), {0}, {}, process,
         "ColorSpace: Indexed [ BaseColorSpace ColorSpace: DeviceRGB NumSamples 16 ]"},
        {Obj("[/Indexed /DeviceGray 0 <00>]"), {0}, {}, {"Black"},
         "ColorSpace: Indexed [ BaseColorSpace ColorSpace: DeviceGray NumSamples 1 ]"},
        {Obj("/Pattern"), {}, {}, process, "ColorSpace: Pattern"},
        {Obj("[/Pattern]"), {}, {}, process, "ColorSpace: Pattern"},
        {Obj("[/Pattern /DeviceGray]"), {0}, {}, {"Black"}, "ColorSpace: Pattern[ ColorSpace: DeviceGray ]"},
        {Obj("[/Pattern [/DeviceN [/A /B] /DeviceGray 0]]"), {1, 1}, {"A", "B"}, {"A", "B"},
         "ColorSpace: Pattern[ ColorSpace: DeviceN [ Colorants ( 'A' 'B' )  AlternateColorSpace ColorSpace: "
         "DeviceGray ] ]"},
        {CPDF_CalGrayColorSpace().Object(), {0}, {}, {"Black"},
         "ColorSpace: CalGray [ WhitePoint Color: 1 1 1  BlackPoint Color: 0 0 0  Gamma 1 ]"},
        {Obj("[/CalRGB << /WhitePoint [0.5 1 2] /BlackPoint [0 0.5 0] /Gamma [1 2.5 3] >>]"), {0, 0, 0}, {}, process,
         "ColorSpace: CalRGB [ WhitePoint Color: 0.5 1 2  BlackPoint Color: 0 0.5 0  Gamma [ 1 2.5 3 ] Matrix [ "
         "Color: 1 0 0  Color: 0 1 0  Color: 0 0 1 ] ]"},
        {Obj("[/Lab << /WhitePoint [1 1 1] /Range [-128 127 -128 127] >>]"), {0, -128, -128}, {}, process,
         "ColorSpace: Lab [ WhitePoint Color: 1 1 1  BlackPoint Color: 0 0 0  a* range ( -128, 127 ) b* range ( "
         "-128, 127 ) ]"},
        {IccSpace(doc, "<< /N 3 >>"), {0, 0, 0}, {}, process,
         "ColorSpace: ICCBased [ Dimension 3 Alternate: ColorSpace: DeviceRGB Range [ ( 0, 1 ) ( 0, 1 ) ( 0, 1 )  ] ]"},
        {IccSpace(doc, "<< /N 1 /Alternate /DeviceGray /Range [0 100] >>"), {0}, {}, process,
         "ColorSpace: ICCBased [ Dimension 1 Alternate: ColorSpace: DeviceGray Range [ ( 0, 100 )  ] ]"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.printed);
        const CPDF_ColorSpace space(c.object);
        EXPECT_EQ(space.NumComponents(), c.initial.size());
        EXPECT_EQ(Values(space.InitialColor()), c.initial);
        EXPECT_EQ(Names(space.NamedColorants()), c.named);
        EXPECT_EQ(Names(space.Colorants()), c.inks);
        EXPECT_EQ(Printed(space), c.printed);
        for (size_t i = 0; i < c.named.size(); ++i)
            EXPECT_EQ(space.ColorantIndex(CPDF_Colorant(c.named[i].c_str())), c.named[i] == "None" ? 0 : int(i));
        // Device spaces paint inks but name none.
        EXPECT_EQ(space.ColorantIndex(CPDF_Colorant("Cyan")), -1);
    }
}

// Exactly the names TypeFromName takes are family names.
TEST(CPDF_ColorSpace, FamilyNamesAreTheKindsNames) {
    for (int32_t type = 0; type < CPDF_ColorSpace::NumTypes; ++type) {
        const GLOB_Name name = CPDF_ColorSpace::TypeName(static_cast<CPDF_ColorSpace::SpaceType>(type));
        SCOPED_TRACE(name.CStr());
        EXPECT_TRUE(CPDF_ColorSpace::IsFamilyName(name));
        EXPECT_EQ(CPDF_ColorSpace::TypeFromName(name), type);
    }
    for (const char* name : {"CS0", "G", "RGB", "devicegray", "DeviceGrayX", "Device", ""}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(CPDF_ColorSpace::IsFamilyName(GLOB_Name(name)));
        EXPECT_THROW(CPDF_ColorSpace::TypeFromName(GLOB_Name(name)), CPDF_Exception);
    }
}

TEST(CPDF_ColorSpace, NullSpacesCopiesAndEquality) {
    const CPDF_ColorSpace null;
    EXPECT_TRUE(null.IsNull());
    EXPECT_EQ(Printed(null), "ColorSpace: Null");
    EXPECT_TRUE(null.FamilyName() == "null");
    EXPECT_TRUE(null.MakeObject().IsNull());
    EXPECT_EQ(Thrown([&] { null.NumComponents(); }), "assert m_type!=Null :: -1!=-1");
    EXPECT_EQ(Thrown([&] { CPDF_ColorSpace::MakeDeviceGray().AsDeviceRGB(); }), "assert m_type==DeviceRGB :: 1==2");
    EXPECT_TRUE(CPDF_ColorSpace::TypeName(CPDF_ColorSpace::Lab) == "Lab");
    EXPECT_TRUE(CPDF_ColorSpace::TypeName(CPDF_ColorSpace::Null) == "null");

    // Copies and assignments carry the core by its kind, Null included.
    CPDF_ColorSpace space = CPDF_ColorSpace::MakeDeviceCMYK();
    const CPDF_ColorSpace copy = space;
    EXPECT_EQ(copy.Type(), CPDF_ColorSpace::DeviceCMYK);
    space = space;
    space = CPDF_ColorSpace(Obj("[/Indexed /DeviceRGB 0 <FF0000>]"));
    EXPECT_EQ(space.AsIndexed().Color(0), CPDF_Color(std::vector<double>{1, 0, 0}));
    space = null;
    EXPECT_TRUE(space.IsNull());
    space = CPDF_ColorSpace(CPDF_SeparationColorSpace(Obj("[/Separation /Gold /DeviceGray 0]")));
    EXPECT_TRUE(space.IsSeparation());
    space.Reset();
    EXPECT_TRUE(space.IsNull());

    // The same kind, and deep-equal objects, whatever document holds them.
    const GLOB_Doc doc = NewMemoryDoc();
    const GLOB_Object gold = Obj("[/Separation /Gold /DeviceGray << /FunctionType 2 /Domain [0 1] /N 1 >>]");
    const CPDF_ColorSpace goldHere(gold);
    const CPDF_ColorSpace goldThere(doc.Copy(gold, true));
    EXPECT_EQ(goldHere, goldThere);
    EXPECT_EQ(goldHere, CPDF_ColorSpace(goldHere.MakeObject(&doc)));
    EXPECT_NE(goldHere, CPDF_ColorSpace(Obj("[/Separation /Silver /DeviceGray << /FunctionType 2 /Domain [0 1] /N 1 >>]")));
    EXPECT_EQ(CPDF_ColorSpace(Obj("/DeviceRGB")), CPDF_ColorSpace::MakeDeviceRGB());
    EXPECT_NE(CPDF_ColorSpace(Obj("[/DeviceRGB]")), CPDF_ColorSpace::MakeDeviceRGB());
    EXPECT_NE(CPDF_ColorSpace::MakeDeviceGray(), null);
    EXPECT_EQ(null, CPDF_ColorSpace());
}

TEST(CPDF_Colorant, SortsNamesIntoProcessDeviceMetaAndSpotInks) {
    const struct {
        const char* name;
        bool cmyk, device, meta;
    } cases[] = {
        {"Cyan", true, true, false},    {"Black", true, true, false},  {"cyan", false, false, false},
        {"Gray", false, true, false},   {"Blue", false, true, false},  {"All", false, false, true},
        {"None", false, false, true},   {"none", false, false, false}, {"Gold", false, false, false},
        {"", false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const CPDF_Colorant colorant(c.name);
        EXPECT_EQ(colorant.IsCMYKColorant(), c.cmyk);
        EXPECT_EQ(colorant.IsDeviceColorant(), c.device);
        EXPECT_EQ(colorant.IsMetaColorant(), c.meta);
    }
    EXPECT_FALSE(CPDF_Colorant().IsDeviceColorant() || CPDF_Colorant().IsMetaColorant());
    EXPECT_EQ(CPDF_Colorant(), CPDF_Colorant());
    EXPECT_NE(CPDF_Colorant(), CPDF_Colorant(""));
}
