// The readers of colour objects: colour spaces, functions, shadings, image
// parameters and image dictionaries, and the walk for spot inks through
// resource dictionaries, over objects written as text (FUZZ_Objects).
#include "CPDF/color/CPDF_CalGrayColorSpace.h"
#include "CPDF/color/CPDF_CalRGBColorSpace.h"
#include "CPDF/color/CPDF_DeviceNColorSpace.h"
#include "CPDF/color/CPDF_ICCBasedColorSpace.h"
#include "CPDF/color/CPDF_IndexedColorSpace.h"
#include "CPDF/color/CPDF_LabColorSpace.h"
#include "CPDF/color/CPDF_PatternColorSpace.h"
#include "CPDF/color/CPDF_SeparationColorSpace.h"
#include "CPDF/document/CPDF_ResourcesDict.h"
#include "CPDF/function/CPDF_Function.h"
#include "CPDF/image/CPDF_Image.h"
#include "CPDF/color/CPDF_DeviceColorSpace.h"
#include "CPDF/shading/CPDF_AxialShading.h"
#include "CPDF/shading/CPDF_CoonsPatchShading.h"
#include "CPDF/shading/CPDF_FunctionBasedShading.h"
#include "CPDF/shading/CPDF_GouraudShading.h"
#include "CPDF/shading/CPDF_MeshShading.h"
#include "CPDF/shading/CPDF_RadialShading.h"
#include "CPDF/shading/CPDF_Shading.h"
#include "FUZZ_Input.h"
#include "FUZZ_Objects.h"
#include "FUZZ_TargetList.h"
#include "FUZZ_Targets.h"
#include "GLIB/GLIB_Assert.h"
#include "GLOB/GLOB_Memory_Impl.h"

#include <algorithm>
#include <sstream>
#include <vector>

namespace {

// Points inside a Domain, on its edges and outside it.
constexpr double Values[] = {0.25, 1, -3, 0, 0.5, 7, 0.75, 1e30, -0.5, 0.125, 1, 0};
constexpr unsigned Points = 3;
// Complete mesh pieces read past the bounding box's raw ones.
constexpr int MaxPieces = 1 << 16;

template <class T>
void Printed(const T& x) {
    std::ostringstream os;
    x.Print(os);
}

// Reads a stream's first MaxOutput bytes.
void Drain(GLOB_Stream stream) {
    size_t total = 0;
    for (FILT_FilterBuffer* buf = stream.Read(); buf->DataAvailable() > 0 || !buf->IsEOD(); buf = stream.Read()) {
        total += buf->DataAvailable();
        buf->AdvanceGetPtr(buf->DataAvailable());
        if (total > FUZZ_Input::MaxOutput)
            break;
    }
    stream.Close();
}

// A validator and the constructor that validates with it agree on every
// object: what one refuses, the other refuses. Neither opens a stream, nor
// do the reads of what they passed, but where marked.
template <class Validate, class Build>
void Read(Validate validate, Build build) {
    bool valid = false;
    bool validated = false;
    FUZZ_ExpectValidated([&] {
        std::string messages;
        valid = validate(&messages);
        validated = true;
    });
    bool built = false;
    FUZZ_ExpectValidated([&] { build(built); });
    if (validated)
        GLIB_ASSERT_CMP(valid, ==, built);
}

void UseFunction(const CPDF_Function& function) {
    Printed(function);
    const CPDF_Function copy = function;
    GLIB_ASSERT(copy == function);
    const unsigned m = function.DomainDimension();
    const unsigned n = function.RangeDimension();
    std::vector<double> in(size_t(Points) * m + 1), out(size_t(Points) * n + 1);
    for (unsigned p = 0; p <= Points; ++p) {
        for (size_t i = 0; i < in.size(); ++i)
            in[i] = Values[(i + p) % std::size(Values)];
        const unsigned count = p < Points ? 1 : Points;
        FUZZ_ExpectValidated([&] { function.Evaluate(in.data(), out.data(), count); });
    }
}

// The reader of the common entries as the validator, then the function,
// whose samples or program are decoded as it is read.
void ReadFunction(const GLOB_Object& object) {
    if ((object.IsDict() || object.IsStream()) && object.DictGet(GLOB_Name("FunctionType")).IsInteger()) {
        const int type = object.DictGet(GLOB_Name("FunctionType")).AsInteger();
        const bool stream = type == CPDF_FunctionTypeSampled || type == CPDF_FunctionTypePostScript;
        FUZZ_ExpectValidated([&] {
            std::string messages;
            CPDF_IntervalSet domain, range;
            CPDF_FunctionCore::ParseCommon(object, type, stream ? GLOB_Object::KindStream : GLOB_Object::KindDict,
                                           !stream, &domain, &range, &messages);
        });
    }
    UseFunction(CPDF_Function(object));
}

// Every function of a "Function" entry: one, or an array of them.
void ReadFunctions(const GLOB_Object& functions) {
    if (!functions.IsArray()) {
        FUZZ_Expect([&] { ReadFunction(functions); });
        return;
    }
    for (uint32_t i = 0; i < functions.Length(); ++i)
        FUZZ_Expect([&] { ReadFunction(functions.Get(i)); });
}

void UseColorSpace(const CPDF_ColorSpace& space);

void UseTintSpace(const CPDF_TintColorSpace& tint) {
    FUZZ_ExpectValidated([&] { UseColorSpace(tint.AlternateColorSpace()); });
    FUZZ_Expect([&] { UseFunction(tint.TintTransform()); });
}

void UseColorSpace(const CPDF_ColorSpace& space) {
    Printed(space);
    const CPDF_ColorSpace copy = space;
    GLIB_ASSERT(copy == space);
    space.NumComponents();
    space.InitialColor();
    space.BaseColorSpace();
    space.Colorants();
    space.ColorantIndex(CPDF_Colorant("Spot"));
    space.MakeObject();
    switch (space.Type()) {
    case CPDF_ColorSpace::Separation:
        space.AsSeparation().Colorant();
        UseTintSpace(space.AsSeparation());
        break;
    case CPDF_ColorSpace::DeviceN:
        UseTintSpace(space.AsDeviceN());
        break;
    case CPDF_ColorSpace::Indexed: {
        const CPDF_IndexedColorSpace indexed = space.AsIndexed();
        FUZZ_Expect([&] {
            for (unsigned index : {0u, indexed.NumSamples() - 1, 255u})
                indexed.Color(index);
        });
        break;
    }
    case CPDF_ColorSpace::ICCBased: {
        const CPDF_ICCBasedColorSpace icc = space.AsICCBased();
        for (unsigned i = 0; i < icc.Dimension(); ++i)
            icc.Range(i);
        FUZZ_ExpectValidated([&] { UseColorSpace(icc.AlternateColorSpace()); });
        FUZZ_Expect([&] { Drain(icc.ProfileStream()); });
        break;
    }
    case CPDF_ColorSpace::CalGray:
        space.AsCalGray().Gamma();
        space.AsCalGray().BlackPoint();
        break;
    case CPDF_ColorSpace::CalRGB: {
        const CPDF_CalRGBColorSpace rgb = space.AsCalRGB();
        CPDF_Color red, green, blue;
        rgb.Gamma();
        rgb.Matrix(&red, &green, &blue);
        rgb.WhitePoint();
        break;
    }
    case CPDF_ColorSpace::Lab:
        space.AsLab().ARange();
        space.AsLab().BRange();
        space.AsLab().WhitePoint();
        break;
    default:
        break;
    }
}

void ReadColorSpace(const GLOB_Object& object) {
    Read([&](std::string* messages) { return CPDF_ColorSpace::IsValid(object, messages); },
         [&](bool& built) {
             const CPDF_ColorSpace space(object);
             built = true;
             UseColorSpace(space);
         });
}

void UseMesh(const CPDF_MeshShading& mesh) {
    CPDF_MeshReader reader(mesh.OpenStream(2), static_cast<uint32_t>(mesh.ShadingType()), mesh.EncodingParams());
    CPDF_MeshPiece piece(0, 1, 1, 1);
    for (int i = 0; i < MaxPieces && reader.HasMoreData(); ++i)
        reader.ReadCompletePiece(piece);
}

void UseShading(const CPDF_Shading& shading) {
    Printed(shading);
    UseColorSpace(shading.ColorSpace());
    CPDF_Color background;
    shading.Background(&background);
    GLOB_Object functions;
    if (shading.Function(&functions))
        ReadFunctions(functions);
    switch (shading.ShadingType()) {
    case CPDF_Shading::FunctionBased:
        shading.AsFunctionBased().ClippedBoundingBox();
        break;
    case CPDF_Shading::Axial:
        shading.AsAxial().ClippedBoundingBox();
        break;
    case CPDF_Shading::Radial:
        shading.AsRadial().ClippedBoundingBox();
        break;
    // The mesh kinds read their data.
    case CPDF_Shading::Gouraud:
        FUZZ_Expect([&] { shading.AsGouraud().ClippedBoundingBox(); });
        break;
    case CPDF_Shading::GouraudLattice:
        FUZZ_Expect([&] { shading.AsGouraudLattice().ClippedBoundingBox(); });
        break;
    case CPDF_Shading::CoonsPatch:
        FUZZ_Expect([&] { shading.AsCoonsPatch().ClippedBoundingBox(); });
        break;
    default:
        FUZZ_Expect([&] { shading.AsTensorPatch().ClippedBoundingBox(); });
        break;
    }
    if (shading.IsMesh())
        FUZZ_Expect([&] { UseMesh(shading.AsMesh()); });
}

void ReadShading(const GLOB_Object& object) {
    Read([&](std::string* messages) { return CPDF_Shading::IsValid(object, messages); },
         [&](bool& built) {
             const CPDF_Shading shading(object);
             built = true;
             UseShading(shading);
         });
}

void UseImageParams(const CPDF_ImageParams& params) {
    params.Width();
    params.Height();
    params.BitsPerComponent();
    params.NumComponents();
    params.Intent();
    params.Interpolate();
    if (!params.IsImageMask())
        UseColorSpace(params.ColorSpace());
    FUZZ_ExpectValidated([&] { params.DecodeArray(); });
}

void UseImage(const CPDF_Image& image) {
    UseImageParams(image.ImageParams());
    switch (image.MaskType()) {
    case CPDF_Image::MaskByColor:
        image.ColorMask();
        break;
    case CPDF_Image::MaskByPosition:
        UseImageParams(image.PositionMask().ImageParams());
        break;
    default:
        break;
    }
    FUZZ_Expect([&] { Drain(image.OpenStream(2)); });
}

void ReadImage(const GLOB_Object& object) {
    const GLOB_Object dict = object.IsStream() ? object.StreamDict() : object;
    Read([&](std::string* messages) { return CPDF_ImageParams::IsValid(dict, messages); },
         [&](bool& built) {
             const CPDF_ImageParams params(dict);
             built = true;
             UseImageParams(params);
         });
    Read([&](std::string* messages) { return CPDF_Image::IsValidImage(object, messages); },
         [&](bool& built) {
             const CPDF_Image image(object);
             built = true;
             UseImage(image);
         });
}

// As a resource dictionary, and as the page, form, pattern or font that
// carries one.
void ReadResources(const GLOB_Object& object) {
    CPDF_ResourcesDict resources(object);
    for (int owner = 0; owner < 2; ++owner) {
        if (owner)
            resources.SetFromObject(object);
        std::vector<CPDF_Colorant> inks;
        FUZZ_ExpectValidated([&] { resources.CollectSpotColorants(&inks, false, true); });
        std::vector<CPDF_ColorSpace> spaces;
        FUZZ_ExpectValidated([&] { resources.CollectColorSpaces(&spaces, false, true); });
    }
}

// Every validator of a colour object, whatever the object: each judges
// objects of other kinds too.
void ReadValidators(const GLOB_Object& object) {
    using Validator = bool (*)(const GLOB_Object&, std::string*);
    static const Validator validators[] = {
        CPDF_DeviceGrayColorSpace::IsValidColorSpace, CPDF_DeviceRGBColorSpace::IsValidColorSpace,
        CPDF_DeviceCMYKColorSpace::IsValidColorSpace, CPDF_SeparationColorSpace::IsValidColorSpace,
        CPDF_DeviceNColorSpace::IsValidColorSpace,    CPDF_ICCBasedColorSpace::IsValidColorSpace,
        CPDF_IndexedColorSpace::IsValidColorSpace,    CPDF_CalGrayColorSpace::IsValidColorSpace,
        CPDF_CalRGBColorSpace::IsValidColorSpace,     CPDF_LabColorSpace::IsValidColorSpace,
        CPDF_PatternColorSpace::IsValidColorSpace,    CPDF_Color::IsValidColor,
        CPDF_IntervalSet::IsValid,                    CPDF_DecodeArray::IsValid,
        CPDF_FunctionBasedShading::IsValidShading,    CPDF_AxialShading::IsValidShading,
        CPDF_RadialShading::IsValidShading,           CPDF_GouraudShading::IsValidShading,
        CPDF_GouraudLatticeShading::IsValidShading,   CPDF_CoonsPatchShading::IsValidShading,
        CPDF_TensorPatchShading::IsValidShading,      CPDF_MeshShading::IsValidMesh,
        CPDF_MeshEncodingParams::IsValid,             CPDF_ShadingCore::ExtendMode::IsValid,
    };
    std::string messages;
    for (Validator validate : validators)
        FUZZ_ExpectValidated([&] { validate(object, &messages); });
}

}  // namespace

// Every object through every reader; a fresh document takes each input, so
// that the cycles through references go with it.
void FUZZ_ColorReaders(const uint8_t* data, size_t size) {
    GLOB_Doc doc = GLOB_Memory_Impl::Make();
    doc.Create("%PDF-1.7", 0);
    const FUZZ_Objects objects(doc, std::string(reinterpret_cast<const char*>(data), size));
    for (const GLOB_Object& object : objects.Objects())
        for (void (*read)(const GLOB_Object&) : {ReadColorSpace, ReadFunction, ReadShading, ReadImage, ReadResources, ReadValidators})
            FUZZ_Expect([&] { read(object); });
}
