#include "GLOB/GLOB_Dict.h"

#include "GLOB_TestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

// The keys in order, "~" for the empty name.
std::string Keys(const GLOB_Dict& dict) {
    std::string text;
    GLOB_Name key;
    for (uint32_t i = 0; dict.Entry(i, &key, nullptr); ++i)
        text += key.CStr() ? key.CStr() : "~";
    return text;
}

GLOB_Object Int(int32_t value) { return GLOB_ObjectFactory::NewInteger(value); }

}  // namespace

TEST(GLOB_Dict, PutReplacesInPlaceAndRemoveClosesTheGap) {
    GLOB_Dict dict(4);
    dict.Put("A", Int(1));
    dict.Put(GLOB_Name("B"), Int(2));
    dict.Put("A", Int(3));
    EXPECT_EQ(Keys(dict) + std::to_string(dict.Get("A").AsInteger()), "AB3");
    dict.Remove("A");
    dict.Remove(GLOB_Name("Missing"));
    EXPECT_EQ(Keys(dict), "B");
    GLOB_Name key("untouched");  // past the end: the out-arguments stay
    EXPECT_FALSE(dict.Entry(1, &key, nullptr));
    EXPECT_TRUE(key == "untouched");
    // The empty name is a key of its own, never matched by a C string.
    dict.Put(GLOB_Name(), Int(9));
    EXPECT_FALSE(dict.Known(""));
    dict.Put("", Int(8));
    EXPECT_EQ(dict.Size(), 3u);
    EXPECT_EQ(dict.Get(GLOB_Name()).AsInteger(), 9);
    // A Null value counts as absent for lookups, not for Known.
    dict.Put("N", GLOB_ObjectFactory::NewNull());
    GLOB_Object out = Int(1);
    EXPECT_TRUE(dict.Known("N") && !dict.Lookup("N", out) && out.IsNull());
    EXPECT_EQ(dict.Get("N", Int(5)).AsInteger(), 5);
    // Copies detach on change; values are handles that a copy shares.
    const GLOB_Object shared = GLOB_ObjectFactory::NewEmptyDict();
    dict.Put("D", shared);
    GLOB_Dict copy(dict);
    copy.Put("B", Int(4));
    GLOB_Dict assigned;
    assigned = dict;
    assigned.Remove("B");
    EXPECT_EQ(std::to_string(dict.Get("B").AsInteger()) + Keys(assigned), "2~ND");
    shared.DictPut(GLOB_Name("Seen"), Int(1));
    EXPECT_TRUE(copy.Get("D").Known(GLOB_Name("Seen")));
}

TEST(GLOB_Dict, TypedReadsAndTypeTests) {
    const GLOB_Dict dict = GLOB_ObjectFactory::MemoryDoc()
                               .ParseObject("<< /Type /XObject /Subtype /Image /Bool true /Int 3 /Real 1.5 /Str (s) "
                                            "/Null null >>")
                               .AsDict();
    EXPECT_TRUE(dict.BooleanValue("Bool") && dict.NameValue("Type") == "XObject" && dict.StringValue("Str") == "s");
    EXPECT_DOUBLE_EQ(dict.NumberValue("Int"), 3.0);
    // A Null value counts as absent: the default, or "Unable to find".
    EXPECT_EQ(dict.IntegerValue("Null", 7), 7);
    EXPECT_DOUBLE_EQ(dict.NumberValue("Missing", 2.5), 2.5);
    EXPECT_EQ(Failure([&] { dict.IntegerValue("Null"); }), "1151007 Unable to find Null");
    EXPECT_EQ(Failure([&] { dict.IntegerValue("Real"); }), "1151006 Expecting Real to be a Integer, found a Real");
    EXPECT_EQ(Failure([&] { dict.IntegerValue("Real", 0); }), "1151006 Expecting Real to be an integer, found a Real");
    EXPECT_EQ(Failure([&] { dict.NumberValue("Bool"); }), "1151006 Expecting Bool to be a Number, found a Boolean");
    EXPECT_EQ(Failure([&] { dict.StringValue("Type", GLOB_String()); }),
              "1151006 Expecting Type to be a string, found a Name");
    EXPECT_TRUE(dict.HasType("XObject") && dict.HasType("XObject", "Image") && dict.HasSubtype("Image"));
    EXPECT_FALSE(dict.HasType("XObject", "Form") || dict.HasType("Font") || dict.HasSubtype("Form"));
}

// Large dictionaries look keys up through an index: random Puts and Removes,
// growing past IndexFrom and shrinking below it again, against a plain list
// of (key, value) searched from the front. A copy taken on the way keeps its
// entries while the original changes.
TEST(GLOB_Dict, LargeDictionariesKeepOrderReplaceAndRemoveAsSmallOnes) {
    using Model = std::vector<std::pair<std::string, int32_t>>;  // "~": the empty name
    auto find = [](Model& model, const std::string& key) {
        return std::find_if(model.begin(), model.end(), [&](const auto& entry) { return entry.first == key; });
    };
    auto check = [](const GLOB_Dict& dict, const Model& model) {
        ASSERT_EQ(dict.Size(), model.size());
        GLOB_Name key;
        GLOB_Object value;
        for (uint32_t i = 0; i < model.size(); ++i) {
            ASSERT_TRUE(dict.Entry(i, &key, &value));
            ASSERT_EQ(key.CStr() ? key.CStr() : "~", model[i].first) << "at " << i;
            ASSERT_EQ(value.AsInteger(), model[i].second) << "at " << i;
            const GLOB_Object found = model[i].first == "~" ? dict.Get(GLOB_Name()) : dict.Get(key.CStr());
            ASSERT_EQ(found.AsInteger(), model[i].second) << model[i].first;
        }
    };
    const uint32_t keys = 3 * GLOB_Dict::IndexFrom;
    std::mt19937 random(11);
    GLOB_Dict dict;
    Model model;
    GLOB_Dict copy;
    Model copied;
    for (int step = 0; step < 2000; ++step) {
        SCOPED_TRACE(step);
        const uint32_t k = std::uniform_int_distribution<uint32_t>(0, keys)(random);
        const std::string text = k == keys ? "~" : "K" + std::to_string(k);
        const GLOB_Name key = k == keys ? GLOB_Name() : GLOB_Name(text.c_str());
        // Grow for the first half, then mostly shrink.
        if (std::uniform_int_distribution<int>(0, 3)(random) < (step < 1000 ? 3 : 1)) {
            dict.Put(key, Int(step));
            const auto at = find(model, text);
            if (at == model.end())
                model.emplace_back(text, step);
            else
                at->second = step;
        } else {
            k % 2 ? dict.Remove(key) : dict.Remove(text == "~" ? "" : text.c_str());
            const auto at = find(model, text);
            if (at != model.end() && (k % 2 || text != "~"))
                model.erase(at);
        }
        ASSERT_EQ(dict.Known(key), find(model, text) != model.end());
        ASSERT_NO_FATAL_FAILURE(check(dict, model));
        if (step == 600) {
            copy = dict;
            copied = model;
        }
    }
    ASSERT_NO_FATAL_FAILURE(check(copy, copied));
}
