#include "CPDF/content/CPDF_GraphicsState.h"

#include "CPDF/content/iCPDF_ExtGStateKeyTable.h"
#include "CPDF/iCPDF_MessageText.h"
#include "GLIB/GLIB_Log.h"
#include "GLOB/GLOB_Array.h"
#include "GLOB/GLOB_Dict.h"

#include <algorithm>

namespace {

using Key = iCPDF_ExtGStateKey;
using Core = iCPDF_GraphicsStateCore;

#define EXTGSTATE_WARN(pieces) GLIB_LOG(GLIB_LogWarning, pieces)

// One entry of the dictionary: its key's name (as the table spells the
// code) and its value. Each check logs its warning and answers false.
struct Entry {
    const char* k;
    const GLOB_Object& v;

    bool Number(double& value) const {
        if (!v.IsNumber()) {
            EXTGSTATE_WARN("Non numeric value found for '" << k << "' entry");
            return false;
        }
        value = v.AsNumber();
        return true;
    }
    bool Boolean() const {
        if (!v.IsBoolean())
            EXTGSTATE_WARN("Non boolean value found for '" << k << "' entry");
        return v.IsBoolean();
    }
    bool Integer(int32_t& value, int32_t highest) const {
        if (!v.IsInteger()) {
            EXTGSTATE_WARN("Non integer value found for '" << k << "' entry");
            return false;
        }
        value = v.AsInteger();
        if (value < 0 || value > highest) {
            EXTGSTATE_WARN("Illegal value '" << value << "' found for '" << k << "' entry");
            return false;
        }
        return true;
    }
    // An Array of two elements.
    bool Pair(GLOB_Array& pair) const {
        if (!v.IsArray()) {
            EXTGSTATE_WARN("Non array value found for '" << k << "' entry");
            return false;
        }
        pair = v.AsArray();
        if (pair.Length() != 2) {
            EXTGSTATE_WARN("Invalid array length '" << pair.Length() << "' found for '" << k << "' entry");
            return false;
        }
        return true;
    }
    double Clamped(double value, double lowest, double highest) const {
        const double c = std::min(std::max(value, lowest), highest);
        if (c != value)
            EXTGSTATE_WARN("Illegal value '" << value << "' for '" << k << "' entry, set to closest supported value '"
                                             << c << "'");
        return c;
    }
    double AtLeast(double value, double lowest) const {
        if (value >= lowest)
            return value;
        EXTGSTATE_WARN("Illegal value '" << value << "' for '" << k << "' entry, set to minimum value '" << lowest
                                         << "'");
        return lowest;
    }
    void InvalidName(const char* tail = "") const {
        const GLOB_Name name = v.AsName();
        EXTGSTATE_WARN("Invalid name value '" << iCPDF_NameText{name} << "' found for '" << k << "' entry" << tail);
    }
    bool IsName(const char* text) const { return v.AsName() == text; }
};

// BG, BG2, UCR and UCR2: a function, or a name of the default.
void ApplyFunction(CPDF_GraphicsState& gs, const Entry& e, void (CPDF_GraphicsState::*set)(const GLOB_Object&),
                   const GLOB_Object& byDefault) {
    if (e.v.IsName()) {
        if (e.IsName("Default") || e.IsName("Identity"))
            (gs.*set)(byDefault);
        else
            e.InvalidName();
    } else if (e.v.IsDict() || e.v.IsStream()) {
        (gs.*set)(e.v);
    } else {
        EXTGSTATE_WARN("Non dictionary/stream found for '" << e.k << "' entry");
    }
}

void ApplyHalftone(CPDF_GraphicsState& gs, const Entry& e) {
    if (e.v.IsName()) {
        if (e.IsName("Default"))
            gs.SetHalftone(Core::DefaultHalftone());
        else
            e.InvalidName();
    } else if (e.v.IsDict() || e.v.IsStream()) {
        gs.SetHalftone(e.v);
    } else {
        EXTGSTATE_WARN("Non dictionary or stream found for '" << e.k << "' entry");
    }
}

// TR and TR2 fall back on the default rather than keep what was in force.
void ApplyTransfer(CPDF_GraphicsState& gs, const Entry& e) {
    static const char* const usingDefault = ". Using /Default instead.";
    if (e.v.IsName() && e.IsName("Identity")) {
        gs.SetTransfer(Core::IdentityFunction());
        return;
    }
    if (e.v.IsDict() || e.v.IsStream() || e.v.IsArray()) {
        gs.SetTransfer(e.v);
        return;
    }
    if (!e.v.IsName())
        EXTGSTATE_WARN("Non dictionary/array/stream found for '" << e.k << "' entry" << usingDefault);
    else if (!e.IsName("Default"))
        e.InvalidName(usingDefault);
    gs.SetTransfer(Core::DefaultTransfer());
}

void ApplyDash(CPDF_GraphicsState& gs, const Entry& e) {
    GLOB_Array pair;
    if (!e.Pair(pair))
        return;
    const GLOB_Object lengths = pair.Get(0);
    if (!lengths.IsArray()) {
        EXTGSTATE_WARN("Non array array value found for '" << e.k << "' entry");
    } else if (!pair.Get(1).IsNumber()) {
        EXTGSTATE_WARN("Non numeric phase value found for '" << e.k << "' entry");
    } else if (!CPDF_DashPattern::IsValidArray(lengths.AsArray())) {
        // The pattern's constructor requires lengths it can walk.
        EXTGSTATE_WARN("Non numeric or negative dash length found for '" << e.k << "' entry");
    } else {
        gs.SetDashPattern(CPDF_DashPattern(e.v));
    }
}

void ApplyFont(CPDF_GraphicsState& gs, const Entry& e) {
    GLOB_Array pair;
    if (!e.Pair(pair))
        return;
    const GLOB_Object font = pair.Get(0);
    const GLOB_Object size = pair.Get(1);
    if (!font.IsDict()) {
        EXTGSTATE_WARN("Non Dict font object found for '" << e.k << "' entry");
    } else if (!size.IsNumber()) {
        EXTGSTATE_WARN("Non numeric font size found for '" << e.k << "' entry");
    } else {
        gs.SetFont(font);
        gs.SetFontSize(size.AsNumber());
    }
}

void ApplyHalftonePhase(CPDF_GraphicsState& gs, const Entry& e) {
    GLOB_Array pair;
    if (!e.Pair(pair))
        return;
    const GLOB_Object x = pair.Get(0);
    const GLOB_Object y = pair.Get(1);
    if (x.IsInteger() && y.IsInteger())
        gs.SetHalftonePhase(x.AsInteger(), y.AsInteger());
    else
        EXTGSTATE_WARN("Non integer array values found for '" << e.k << "' entry");
}

}  // namespace

void CPDF_GraphicsState::ApplyExtGState(const GLOB_Object& extGState) {
    if (!extGState.IsDict())
        return;
    const GLOB_Dict dict = extGState.AsDict();
    bool strokeOverprintSet = false;
    bool fillOverprintSet = false;
    GLOB_Name key;
    GLOB_Object value;
    for (uint32_t i = 0; dict.Entry(i, &key, &value); ++i) {
        const int32_t code = key.CStr() ? iCPDF_ExtGStateKeyTable::Find(key.CStr()) : -1;
        const Entry e{iCPDF_ExtGStateKeyTable::KeyName(code), value};
        double number = 0.0;
        int32_t integer = 0;
        switch (code) {
        case Key::Type:
            if (!value.IsName())
                EXTGSTATE_WARN("Non name value found for '" << e.k << "' entry");
            else if (!e.IsName("ExtGState"))
                EXTGSTATE_WARN("Unexpected value '" << iCPDF_NameText{value.AsName()} << "' found for '" << e.k
                                                    << "' entry");
            break;
        case Key::BG:
        case Key::BG2:
            ApplyFunction(*this, e, &CPDF_GraphicsState::SetBlackGeneration, Core::DefaultBlackGeneration());
            break;
        case Key::UCR:
        case Key::UCR2:
            ApplyFunction(*this, e, &CPDF_GraphicsState::SetUndercolorRemoval, Core::DefaultUndercolorRemoval());
            break;
        case Key::TR:
        case Key::TR2:
            ApplyTransfer(*this, e);
            break;
        case Key::HT:
        case Key::HT2:
            ApplyHalftone(*this, e);
            break;
        case Key::D:
            ApplyDash(*this, e);
            break;
        case Key::Font:
            ApplyFont(*this, e);
            break;
        case Key::HTP:
            ApplyHalftonePhase(*this, e);
            break;
        case Key::FL:
            if (e.Number(number))
                SetFlatness(e.Clamped(number, 0.0, 100.0));
            break;
        case Key::SM:
            if (e.Number(number))
                SetSmoothness(e.Clamped(number, 0.0, 1.0));
            break;
        case Key::LW:
            if (e.Number(number))
                SetLineWidth(e.AtLeast(number, 0.0));
            break;
        case Key::ML:
            if (e.Number(number))
                SetMiterLimit(e.AtLeast(number, 1.0));
            break;
        case Key::LC:
            if (e.Integer(integer, Core::ProjectingSquareCaps))
                SetLineCap(integer);
            break;
        case Key::LJ:
            if (e.Integer(integer, Core::BevelJoins))
                SetLineJoin(integer);
            break;
        case Key::OPM:
            if (e.Integer(integer, 1))
                SetOverprintMode(integer);
            break;
        case Key::RI:
            if (value.IsName())
                SetRenderingIntent(value.AsName());
            else
                EXTGSTATE_WARN("Non name value found for '" << e.k << "' entry");
            break;
        case Key::SA:
            if (e.Boolean())
                SetStrokeAdjustment(value.AsBoolean());
            break;
        case Key::OP:
            if (e.Boolean()) {
                SetStrokeOverprint(value.AsBoolean());
                strokeOverprintSet = true;
            }
            break;
        case Key::op:
            if (e.Boolean()) {
                SetFillOverprint(value.AsBoolean());
                fillOverprintSet = true;
            }
            break;
        default:
            break;
        }
    }
    // PDF 1.2 files give OP alone for both kinds of painting.
    if (strokeOverprintSet && !fillOverprintSet)
        SetFillOverprint(StrokeOverprint());
}
