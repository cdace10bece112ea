#include "viewer/program/VIEW_ProgramInks.h"

#include "viewer/VIEW_Cos.h"
#include "viewer/VIEW_PD.h"
#include "viewer/draw/VDRW_PageSpace.h"
#include "viewer/program/VIEW_ProgramFiles.h"
#include "viewer/program/VIEW_ProgramText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

bool IsNumber(VCOS_Type type) { return type == VCOS_Type::Integer || type == VCOS_Type::Real; }

VIEW_InkLine InkOf(const VCOS_Store& store, VCOS_Obj page, int index) {
    VIEW_InkLine ink;
    ink.m_index = index;
    const VCOS_Obj info = store.DictGet(page, "SeparationInfo");
    if (store.Type(info) == VCOS_Type::Dict) {
        const VCOS_Obj name = store.DictGet(info, "DeviceColorant");
        if (store.Type(name) == VCOS_Type::Name)
            ink.m_name = store.NameValue(name);
        const VCOS_Obj recipe = store.DictGet(info, "VELM_Recipe");
        if (store.Type(recipe) == VCOS_Type::Array && store.ArrayLength(recipe) == 4) {
            ink.m_hasRecipe = true;
            for (uint32_t k = 0; k < 4; ++k) {
                const VCOS_Obj value = store.ArrayGet(recipe, k);
                ink.m_hasRecipe = ink.m_hasRecipe && IsNumber(store.Type(value));
                ink.m_cmyk[k] = ink.m_hasRecipe ? store.NumberValue(value) : 0;
            }
        }
    }
    ink.m_plateFile = VIEW_PlateFileName(index, ink.m_name);
    return ink;
}

}  // namespace

std::vector<VIEW_InkLine> VIEW_ReadInks(PDFL_PDDoc doc) {
    return VIEW_ReadInks(VIEW_PD::CosDocId(doc), VIEW_PD::DocGetNumPages(doc));
}

std::vector<VIEW_InkLine> VIEW_ReadInks(VCOS_DocId doc, int32_t count) {
    const VCOS_Store& store = VIEW_Cos::Store();
    std::vector<VIEW_InkLine> inks;
    for (int32_t i = 0; i < count; ++i)
        inks.push_back(InkOf(store, VDRW_PageSpaceReader::Read(store, doc, i).m_page, i));
    return inks;
}

namespace {

std::string RectLine(const char* word, const double rect[4]) {
    char line[128];
    double rounded[4];
    // To a thousandth of a point: the drawing matrix is 16.16 fixed point.
    for (int i = 0; i < 4; ++i)
        rounded[i] = std::round(rect[i] * 1000) / 1000 + 0.0;
    std::snprintf(line, sizeof line, "%s %.10g %.10g %.10g %.10g\n", word, rounded[0], rounded[1], rounded[2],
                  rounded[3]);
    return line;
}

// To four decimals, trailing zeros dropped: the recipe is 16.16 fixed
// point, so 0.7 arrives as 0.699997.
std::string RecipeValue(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.4f", std::round(value * 10000) / 10000 + 0.0);
    std::string digits = text;
    digits.erase(digits.find_last_not_of('0') + 1);
    if (digits.back() == '.')
        digits.pop_back();
    return digits == "-0" ? "0" : digits;
}

}  // namespace

std::string VIEW_InksText(int dpi, const std::vector<VIEW_InkLine>& inks) {
    VIEW_InksHeader header;
    header.m_dpi = dpi;
    return VIEW_InksText(header, inks);
}

std::string VIEW_InksText(const VIEW_InksHeader& header, const std::vector<VIEW_InkLine>& inks) {
    std::string text = "dpi " + std::to_string(header.m_dpi) + " mag " + std::to_string(header.m_mag) + "\n";
    if (header.m_hasArea)
        text += RectLine("area", header.m_area);
    if (header.m_hasPreview)
        text += RectLine("preview", header.m_preview);
    for (const VIEW_InkLine& ink : inks) {
        std::string recipe = "-";
        if (ink.m_hasRecipe) {
            recipe = RecipeValue(ink.m_cmyk[0]);
            for (int k = 1; k < 4; ++k)
                recipe += " " + RecipeValue(ink.m_cmyk[k]);
        }
        text += std::to_string(ink.m_index) + "\t" + VIEW_EscapedText(ink.m_name) + "\t" + recipe + "\t" +
                (ink.m_shown ? "shown" : "hidden") + "\t" + ink.m_plateFile + "\n";
    }
    return text;
}

std::vector<std::string> VIEW_ListedPlateFiles(const std::string& inksText) {
    std::vector<std::string> plates;
    for (size_t start = 0; start < inksText.size();) {
        size_t end = inksText.find('\n', start);
        if (end == std::string::npos)
            end = inksText.size();
        const std::string line = inksText.substr(start, end - start);
        start = end + 1;
        if (std::count(line.begin(), line.end(), '\t') != 4)
            continue;
        const std::string plate = line.substr(line.rfind('\t') + 1);
        if (VIEW_IsPlateFileName(plate))
            plates.push_back(plate);
    }
    return plates;
}
