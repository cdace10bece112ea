// The abstract core of the seven shading kinds (ISO 32000 8.7.4.5). It holds
// only the shading's PDF object (a Dict for types 1 to 3, a Stream for the
// mesh types 4 to 7) and reads every answer from it when asked; the kinds add
// no data. Copies refer to the same object, so a change through one copy
// (SetBackground, a kind's setters) is seen through every other and by the
// object's document.
//
// Entries common to every kind:
//   "ShadingType"  Integer, the kind's number                    required
//   "ColorSpace"   a colour space not of the Pattern family      required
//   "Background"   numbers, one per colour component             optional
//   "BBox"         four numbers llx lly urx ury                  optional
//   "AntiAlias"    Boolean                                       optional (false)
//   "Function"     presence only; the kinds say who needs it
//
// A core built from an object passed its kind's validator (AttachObject), so
// the readers look for nothing first. Values written are made in the
// document of the shading object. The setters' preconditions are assertions.
#pragma once

#include "CPDF/color/CPDF_Color.h"
#include "CPDF/color/CPDF_ColorSpace.h"
#include "GLIB/GLIB_Geometry.h"
#include "GLOB/GLOB_Doc.h"
#include "GLOB/GLOB_Name.h"
#include "GLOB/GLOB_Object.h"

#include <cstdint>
#include <initializer_list>
#include <ostream>
#include <string>
#include <utility>

class iCPDF_ValidationMessage;

class CPDF_ShadingCore {
public:
    // The "Extend" pair of the axial and radial kinds: whether the blend goes
    // on before its start and beyond its end.
    class ExtendMode {
    public:
        constexpr ExtendMode(bool extendStart = false, bool extendEnd = false)
            : m_extendStart(extendStart), m_extendEnd(extendEnd) {}
        // An "Extend" array; throws CPDF_Exception 1128011 with the lines of
        // IsValid.
        explicit ExtendMode(const GLOB_Object& object);

        bool ExtendStart() const { return m_extendStart; }
        bool ExtendEnd() const { return m_extendEnd; }
        bool operator==(const ExtendMode& other) const {
            return m_extendStart == other.m_extendStart && m_extendEnd == other.m_extendEnd;
        }

        // A new direct array of two Booleans in doc.
        GLOB_Object MakeObject(const GLOB_Doc& doc) const;
        // Validator (iCPDF_ValidationMessage convention): "Extend mode should
        // be an Array, found <type>" (then stops); "Extend mode should be an
        // Array of length 2, found length <n>" (then stops); "Extend mode
        // should be an Array of booleans, at index <i> found type <type>" for
        // every element that is not a Boolean.
        static bool IsValid(const GLOB_Object& object, std::string* messages);

    private:
        bool m_extendStart;
        bool m_extendEnd;
    };

    // The counted handle deletes every kind through this base.
    virtual ~CPDF_ShadingCore() = default;
    CPDF_ShadingCore& operator=(const CPDF_ShadingCore&) = delete;

    // The area the shading paints, in its own space; the kinds say how.
    virtual GLIB_Rect BoundingBox() const = 0;
    // "FunctionBased", "Axial", "Radial", "Mesh", "Gouraud", ...
    virtual GLOB_Name TypeName() const = 0;
    // "Shading: " and the type name.
    virtual std::ostream& Print(std::ostream& os) const;
    // The kind's static validator.
    virtual bool IsValid(const GLOB_Object& object, std::string* messages) const = 0;

    // "ShadingType", read unchecked.
    int ShadingType() const;
    GLOB_Object Object() const { return m_object; }
    // The space of "ColorSpace".
    CPDF_ColorSpace ColorSpace() const;
    // Whether the entry is present; when it is and out is not null, the value
    // is stored there. Background converts to a colour, which throws
    // CPDF_Exception 1128002 for an array that is not one; BBox reads the
    // four numbers in array order, not normalised.
    bool Background(CPDF_Color* out = nullptr) const;
    bool Function(GLOB_Object* out) const;
    bool BBox(GLIB_Rect* out = nullptr) const;
    bool AntiAlias(bool* out) const;
    // The flag; false when absent.
    bool AntiAlias() const;
    // BoundingBox clipped to "BBox" when there is one.
    GLIB_Rect ClippedBoundingBox() const;

    // The same object: one back-end that reports the two equal, or both
    // without a back-end.
    bool operator==(const CPDF_ShadingCore& other) const;
    bool operator!=(const CPDF_ShadingCore& other) const { return !(*this == other); }

    // Assert IsValidColorSpace, and that a present "Background" fits the new
    // space.
    void SetColorSpace(const CPDF_ColorSpace& colorSpace);
    // Asserts IsValidColor against ColorSpace().
    void SetBackground(const CPDF_Color& backgroundColor);
    // Four Reals llx lly urx ury.
    void SetBBox(const GLIB_Rect& bbox);
    void RemoveBBox();
    void RemoveBackground();

    // Validators (iCPDF_ValidationMessage convention).
    // The checks every kind runs first, in this order:
    //   not a Dict or Stream: "Shadings must be a Stream or Dictionary, found
    //     <type>" (then stops);
    //   "Shading missing ShadingType entry.", "Shading ShadingType mismatch,
    //     expecting <type>, found<n>", "Shading ShadingType entry should be
    //     an Itnteger, found <type>";
    //   "Shading AntiAlias flag must be a Boolean, found <type>";
    //   "Shading has invalid BBox: " and the number-array lines;
    //   "Shading missing ColorSpace."; a space that throws 1128003 or is a
    //     Pattern space: "Shading has invalid colorspace: " and its text
    //     (then stops);
    //   with a space, "Shading has invalid background color: " and the
    //     number-array lines for its component count.
    static bool IsValid(const GLOB_Object& object, int expectedType, std::string* messages);
    // "Shadings cannot be in a Pattern colorspace."
    static bool IsValidColorSpace(const CPDF_ColorSpace& colorSpace, std::string* messages = nullptr);
    // "Color dimension should match colorspace dimensionExpecting <n> found
    // <m>". The space must not be Null.
    static bool IsValidColor(const CPDF_Color& color, const CPDF_ColorSpace& colorSpace,
                             std::string* messages = nullptr);

protected:
    // A Null object.
    CPDF_ShadingCore() = default;
    CPDF_ShadingCore(const CPDF_ShadingCore& other) = default;

    // Runs the virtual IsValid; an object it refuses throws CPDF_Exception
    // 1128011 with all its lines, else the core takes the object. Called by
    // each kind's constructor from an object, once the kind is in place.
    void AttachObject(const GLOB_Object& object);
    // For the kinds' builders: no validation.
    void SetObject(const GLOB_Object& object) { m_object = object; }
    // Stores value under key in the shading's dictionary.
    void Put(const char* key, const GLOB_Object& value) const;
    // A number element of an array entry, an Integer converted.
    double NumberAt(const char* key, uint32_t index) const;
    // Replaces element index of an array entry by a direct Real.
    void PutNumberAt(const char* key, uint32_t index, double value) const;
    // Elements 0 and 1 of an array entry of two numbers.
    bool Interval(const char* key, std::pair<double, double>* out) const;
    // A new direct array of two direct Reals under key.
    void PutInterval(const char* key, const std::pair<double, double>& interval) const;
    // A new direct array of direct Reals in doc.
    static GLOB_Object MakeReals(const GLOB_Doc& doc, std::initializer_list<double> values);
    // "Extend" through ExtendMode's reader.
    bool ReadExtend(ExtendMode* out) const;

    // Steps the kinds' validators share. The common checks of expectedType
    // as one message of their lines; false when they fail.
    static bool CheckCommon(const GLOB_Object& object, int expectedType, iCPDF_ValidationMessage& collector);
    // When key is present and not an Array of length numbers (any length for
    // -1): prefix and the number-array lines as one message.
    static void CheckNumberArray(const GLOB_Object& object, const char* key, int length, const char* prefix,
                                 iCPDF_ValidationMessage& collector);
    // When "Extend" is present and not valid: prefix and its lines.
    static void CheckExtend(const GLOB_Object& object, const char* prefix, iCPDF_ValidationMessage& collector);

private:
    GLOB_Object m_object;
};
