#include "CPDF/color/CPDF_DeviceNColorSpace.h"
#include "CPDF/color/CPDF_SeparationColorSpace.h"

#include "CPDF/color/CPDF_IndexedColorSpace.h"
#include "CPDF/function/CPDF_SampleTable.h"
#include "ColorSpaceTestUtil.h"

#include <gtest/gtest.h>

// Spaces built from full-tint colours get a sampled tint transform that maps
// tints to the sum of tint × colour, read back through the function factory
// from the stream written into the document.
TEST(CPDF_TintColorSpace, BuiltFromColoursEvaluateAsMixtures) {
    const GLOB_Doc doc = NewMemoryDoc();
    const CPDF_ColorSpace cmyk = CPDF_ColorSpace::MakeDeviceCMYK();
    const CPDF_SeparationColorSpace separation(doc, CPDF_Colorant("Gold"), cmyk,
                                               CPDF_Color(std::vector<double>{0, 0.5, 1, 0}));
    const CPDF_DeviceNColorSpace deviceN(doc, {CPDF_Colorant("A"), CPDF_Colorant("B")}, cmyk,
                                         {CPDF_Color(std::vector<double>{1, 0, 0, 0}),
                                          CPDF_Color(std::vector<double>{0, 1, 0, 0})});
    for (const CPDF_TintColorSpace* space : {static_cast<const CPDF_TintColorSpace*>(&separation),
                                            static_cast<const CPDF_TintColorSpace*>(&deviceN)}) {
        EXPECT_EQ(space->Object().GetImpl(), doc.Impl());
        EXPECT_EQ(Validated(CPDF_ColorSpace::IsValid, space->Object()), "valid");
        EXPECT_EQ(space->AlternateColorSpace(), cmyk);
        EXPECT_TRUE(space->TintTransform().IsSampled());
    }
    EXPECT_EQ(Names(separation.Colorants()), std::vector<std::string>{"Gold"});
    ExpectNear(Outputs(separation.TintTransform(), {0.5, 1, 0}),
               {0, 0.25, 0.5, 0, 0, 0.5, 1, 0, 0, 0, 0, 0});
    ExpectNear(Outputs(deviceN.TintTransform(), {0.5, 0, 1, 1, 0, 0.25}),
               {0.5, 0, 0, 0, 1, 1, 0, 0, 0, 0.25, 0, 0});
    // Sums above 1 are clipped to the Range when evaluated; 0.75 + 0.75
    // halved lies between two 16-bit steps.
    const CPDF_DeviceNColorSpace twice(doc, {CPDF_Colorant("A"), CPDF_Colorant("B")}, CPDF_ColorSpace::MakeDeviceGray(),
                                       {CPDF_Color(std::vector<double>{0.75}), CPDF_Color(std::vector<double>{0.75})});
    ExpectNear(Outputs(twice.TintTransform(), {1, 1, 0.5, 0.5}), {1, 0.75}, 1.5 / 65535);
}

// The sample table of k colorants holds 2^k corners: past the bound on the
// inputs it evaluates, the space is refused before anything is built.
TEST(CPDF_TintColorSpace, DeviceNFromColoursIsBounded) {
    const GLOB_Doc doc = NewMemoryDoc();
    const auto build = [&](unsigned k) {
        std::vector<CPDF_Colorant> names;
        for (unsigned i = 0; i < k; ++i)
            names.emplace_back(("Ink" + std::to_string(i)).c_str());
        return CPDF_DeviceNColorSpace(doc, names, CPDF_ColorSpace::MakeDeviceGray(),
                                      std::vector<CPDF_Color>(k, CPDF_Color(std::vector<double>{1.0 / 16})));
    };
    const CPDF_DeviceNColorSpace widest = build(CPDF_SampleTable::MaxEvaluatedDimension);
    EXPECT_EQ(widest.NumComponents(), 16u);
    ExpectNear(Outputs(widest.TintTransform(), std::vector<double>(16, 1.0)), {1.0}, 1e-4);
    EXPECT_EQ(Thrown([&] { build(17); }),
              "1128007 CPDF_DeviceNColorSpace: 17 colorants, more than 16 for a sampled tint transform");
    EXPECT_EQ(Thrown([&] { build(40); }),
              "1128007 CPDF_DeviceNColorSpace: 40 colorants, more than 16 for a sampled tint transform");
}

// Tint transforms read from documents are any function kind.
TEST(CPDF_TintColorSpace, TintTransformsOfEveryKind) {
    const GLOB_Doc doc = NewMemoryDoc();
    const GLOB_Object space = doc.ParseObject("[/Separation /Spot /DeviceCMYK 0]");
    space.ArrayPut(3, doc.ParseObject("<< /FunctionType 2 /Domain [0 1] /C0 [0 0 0 0] /C1 [0 1 0 0] /N 2 >>"));
    const CPDF_ColorSpace exponential(space);
    ExpectNear(Outputs(exponential.AsSeparation().TintTransform(), {0.5}), {0, 0.25, 0, 0});
    EXPECT_EQ(Thrown([&] { CPDF_ColorSpace(Obj("[/Separation /Spot /DeviceCMYK 7]")).AsSeparation().TintTransform(); }),
              "1128007 A Function must be a Stream or Dictionary, found: Integer");

    // (t/2, 0, t, 0), run by the PostScript calculator once the factory
    // builds type 4 functions.
    const GLOB_Object program = StoreStream(doc, "{ dup 0.5 mul exch 0 exch 0 }",
                                            "<< /FunctionType 4 /Domain [0 1] /Range [0 1 0 1 0 1 0 1] >>");
    const CPDF_SeparationColorSpace postScript(CPDF_Colorant("Spot"), CPDF_ColorSpace::MakeDeviceCMYK(), program);
    ASSERT_EQ(Thrown([&] { postScript.TintTransform(); }), "no exception");
    ExpectNear(Outputs(postScript.TintTransform(), {0.5}), {0.25, 0, 0.5, 0});
}

TEST(CPDF_TintColorSpace, BuiltFromPartsAndChanged) {
    const GLOB_Doc doc = NewMemoryDoc();
    const GLOB_Doc other = NewMemoryDoc();
    const GLOB_Object tint = doc.ParseObject("<< /FunctionType 2 /Domain [0 1] /N 1 >>");
    const CPDF_ColorSpace lab(Obj("[/Lab << /WhitePoint [1 1 1] >>]"));
    CPDF_SeparationColorSpace separation(CPDF_Colorant("None"), lab, tint);
    // Made in the tint transform's document, the alternate copied in.
    EXPECT_EQ(separation.Object().GetImpl(), doc.Impl());
    EXPECT_EQ(separation.Object().Get(2).GetImpl(), doc.Impl());
    EXPECT_EQ(separation.AlternateColorSpace(), lab);
    EXPECT_EQ(separation.Colorant(), CPDF_Colorant("None"));
    const CPDF_SeparationColorSpace shared = separation;
    separation.SetColorant(CPDF_Colorant("Gold"));
    separation.SetAlternateColorSpace(CPDF_ColorSpace::MakeDeviceGray());
    separation.SetTintTransform(other.ParseObject("<< /FunctionType 2 /Domain [0 1] /N 3 >>"));
    EXPECT_EQ(Printed(shared), "ColorSpace: Separation [ Colorant 'Gold' AlternateColorSpace ColorSpace: DeviceGray ]");
    EXPECT_EQ(shared.Object().Get(3).GetImpl(), doc.Impl());
    EXPECT_EQ(Outputs(shared.TintTransform(), {0.5}), std::vector<double>{0.125});
    std::vector<CPDF_Colorant> names = {CPDF_Colorant("A"), CPDF_Colorant("B")};
    EXPECT_TRUE(separation.NamedColorants(&names));
    EXPECT_EQ(Names(names), std::vector<std::string>{"Gold"});
    EXPECT_TRUE(separation.NamedColorants(nullptr));

    const CPDF_ColorSpace indexed(Obj("[/Indexed /DeviceGray 0 <00>]"));
    EXPECT_EQ(Thrown([&] { CPDF_SeparationColorSpace bad(CPDF_Colorant("X"), indexed, tint); }),
              "assert IsValidAlternateColorSpace(alternate, nullptr)");
    EXPECT_EQ(Thrown([&] { separation.SetAlternateColorSpace(CPDF_ColorSpace()); }),
              "assert IsValidAlternateColorSpace(alternate, nullptr)");
    std::string text;
    EXPECT_FALSE(CPDF_DeviceNColorSpace::IsValidAlternateColorSpace(CPDF_ColorSpace(), &text));
    EXPECT_EQ(text, "Invalid DeviceN alternate colorspace: null\n");

    CPDF_DeviceNColorSpace deviceN({CPDF_Colorant("None"), CPDF_Colorant("Red"), CPDF_Colorant("None")},
                                   CPDF_ColorSpace::MakeDeviceRGB(), tint);
    EXPECT_EQ(Values(deviceN.InitialColor()), (std::vector<double>{1, 1, 1}));
    deviceN.SetColorants({CPDF_Colorant("Red"), CPDF_Colorant("Green")});
    EXPECT_EQ(Printed(deviceN),
              "ColorSpace: DeviceN [ Colorants ( 'Red' 'Green' )  AlternateColorSpace ColorSpace: DeviceRGB ]");
    EXPECT_EQ(Thrown([&] { deviceN.SetColorants({CPDF_Colorant("Red"), CPDF_Colorant("Red")}); }),
              "assert IsValidColorantArray(colorants, nullptr)");
    // The empty name counts as a name.
    text = "earlier";
    EXPECT_FALSE(CPDF_DeviceNColorSpace::IsValidColorantArray(
        {CPDF_Colorant(), CPDF_Colorant("A"), CPDF_Colorant(), CPDF_Colorant(""), CPDF_Colorant("A")}, &text));
    EXPECT_EQ(text, "Colorant array contains repeated entry \nColorant array contains repeated entry A\n");
}

// A DeviceN space of ColorantLimit colorants or more is refused before its
// names are read; one fewer is an ordinary space.
TEST(CPDF_TintColorSpace, DeviceNColorantsAreLimited) {
    const GLOB_Doc doc = NewMemoryDoc();
    const auto deviceN = [&](unsigned n) {
        std::string names;
        for (unsigned i = 0; i < n; ++i)
            names += "/Ink" + std::to_string(i) + " ";
        return doc.ParseObject(("[/DeviceN [" + names + "] /DeviceGray << /FunctionType 2 /Domain [0 1] /N 1 >>]").c_str());
    };
    static_assert(CPDF_DeviceNColorSpace::ColorantLimit == 32, "the limit the messages below name");
    const CPDF_ColorSpace widest(deviceN(31));
    EXPECT_EQ(widest.NumComponents(), 31u);
    for (unsigned n : {32u, 1000u}) {
        SCOPED_TRACE(n);
        EXPECT_EQ(Thrown([&] { CPDF_ColorSpace space(deviceN(n)); }),
                  "1128003 DeviceN colorspace has " + std::to_string(n) + " colorants, at most 31 are supported\n");
    }
    // Even names that are no names are not looked at.
    const GLOB_Object numbers = deviceN(40);
    numbers.Get(1).ArrayPut(3, doc.NewInteger(7));
    EXPECT_EQ(Validated(CPDF_DeviceNColorSpace::IsValidColorSpace, numbers),
              "DeviceN colorspace has 40 colorants, at most 31 are supported\n");
}
