// A shading as the rest of the system holds it: a counted handle of one core
// of its kind, made from a shading dictionary or stream by the factory (the
// constructor from a GLOB_Object), which reads "ShadingType" and builds the
// kind, whose constructor validates. So a handle only ever holds a shading
// that passed its kind's validator. Copies share the core, with no copy on
// change: SetBackground through one handle changes the one PDF object every
// handle and the document see.
//
//   Type  kind                    core class                   typed copy
//   1     FunctionBased           CPDF_FunctionBasedShading    AsFunctionBased
//   2     Axial                   CPDF_AxialShading            AsAxial
//   3     Radial                  CPDF_RadialShading           AsRadial
//   4     Gouraud (free-form)     CPDF_GouraudShading          AsGouraud
//   5     GouraudLattice          CPDF_GouraudLatticeShading   AsGouraudLattice
//   6     CoonsPatch              CPDF_CoonsPatchShading       AsCoonsPatch
//   7     TensorPatch             CPDF_TensorPatchShading      AsTensorPatch
//   4-7   mesh base               CPDF_MeshShading             AsMesh
//
// A typed copy is a new core of that class sharing the PDF object; it asserts
// its predicate ("IsAxial()", ...), and a core of another class then throws
// std::bad_cast. Object and the forwarders assert a non-null handle.
#pragma once

#include "COMN_ReferenceCountPointer.h"
#include "CPDF/shading/CPDF_ShadingCore.h"

#include <ostream>
#include <string>

class CPDF_AxialShading;
class CPDF_CoonsPatchShading;
class CPDF_FunctionBasedShading;
class CPDF_GouraudLatticeShading;
class CPDF_GouraudShading;
class CPDF_MeshShading;
class CPDF_RadialShading;
class CPDF_TensorPatchShading;

class CPDF_Shading {
public:
    // The "ShadingType" values; Null for the null handle.
    enum Type : int {
        Null = 0,
        FunctionBased = 1,
        Axial = 2,
        Radial = 3,
        Gouraud = 4,
        GouraudLattice = 5,
        CoonsPatch = 6,
        TensorPatch = 7,
    };

    // The null handle.
    CPDF_Shading() = default;
    // The factory: ReadShadingType, then the kind's constructor. Throws
    // CPDF_Exception 1128011 with ReadShadingType's text or the kind
    // validator's lines.
    explicit CPDF_Shading(const GLOB_Object& shading);
    // A new core of core's kind sharing its object.
    explicit CPDF_Shading(const CPDF_ShadingCore& core);

    // 0 for the null handle.
    int ShadingType() const;
    bool IsNull() const { return ShadingType() == Null; }
    bool IsFunctionBased() const { return ShadingType() == FunctionBased; }
    bool IsAxial() const { return ShadingType() == Axial; }
    bool IsRadial() const { return ShadingType() == Radial; }
    bool IsGouraud() const { return ShadingType() == Gouraud; }
    bool IsGouraudLattice() const { return ShadingType() == GouraudLattice; }
    bool IsCoonsPatch() const { return ShadingType() == CoonsPatch; }
    bool IsTensorPatch() const { return ShadingType() == TensorPatch; }
    // The core derives from CPDF_MeshShading; false for the null handle.
    bool IsMesh() const;

    CPDF_FunctionBasedShading AsFunctionBased() const;
    CPDF_AxialShading AsAxial() const;
    CPDF_RadialShading AsRadial() const;
    CPDF_GouraudShading AsGouraud() const;
    CPDF_GouraudLatticeShading AsGouraudLattice() const;
    CPDF_CoonsPatchShading AsCoonsPatch() const;
    CPDF_TensorPatchShading AsTensorPatch() const;
    CPDF_MeshShading AsMesh() const;

    // The shading's dictionary or stream.
    GLOB_Object Object() const;
    // "Shading: Null", or the core's Print.
    std::ostream& Print(std::ostream& os) const;

    // The core's operations of the same names.
    CPDF_ColorSpace ColorSpace() const;
    bool Background(CPDF_Color* out = nullptr) const;
    bool Function(GLOB_Object* out = nullptr) const;
    void SetBackground(const CPDF_Color& backgroundColor);

    // The kind of a shading object. Throws CPDF_Exception 1128011: "A
    // Shading must be a Stream or Dictionary, found: <type>", "Shading
    // missing ShadingType entry", "ShadingType must be an Integer, found:
    // <type>", or CheckShadingType's text.
    static int ReadShadingType(const GLOB_Object& shading);
    // type itself for 1 to 7; else throws CPDF_Exception 1128011 "Unknown
    // Shading type: <type>".
    static int CheckShadingType(int type);
    // Validator (iCPDF_ValidationMessage convention): ReadShadingType's text
    // as the one line when it throws, else the kind's validator.
    static bool IsValid(const GLOB_Object& shading, std::string* messages);

private:
    static CPDF_ShadingCore* MakeCore(int type, const GLOB_Object& shading);
    static CPDF_ShadingCore* CopyCore(int type, const CPDF_ShadingCore& core);

    COMN_ReferenceCountPointer<CPDF_ShadingCore> m_core;
};

std::ostream& operator<<(std::ostream& os, const CPDF_Shading& shading);
