// The mesh reader of shading types 4 to 7, with every packable width.
#include "CPDF/shading/CPDF_MeshReader.h"
#include "FUZZ_Input.h"
#include "FUZZ_TargetList.h"
#include "FUZZ_Targets.h"
#include "support/GLOB_ChunkedCore.h"

#include <string>
#include <vector>

namespace {

// The widths the reader packs. Only a flag may have none: a value of no
// bits has no Decode mapping, and no validated shading gives one.
constexpr uint32_t FlagWidths[] = {0, 1, 2, 4, 8, 12, 16, 24, 32};
constexpr uint32_t Widths[] = {1, 2, 4, 8, 12, 16, 24, 32};
constexpr uint32_t MaxComponents = 8;
constexpr int MaxPieces = 1 << 20;

}  // namespace

// Bytes: the shading type, the widths of flag, coordinate and component,
// the component count, the vertices per lattice row, two per Decode pair
// (x, y, then each component; a signed byte × 16 each bound), three chunk
// sizes; then the mesh data, read as raw pieces to its end, then again as
// complete pieces.
void FUZZ_MeshReader(const uint8_t* data, size_t size) {
    FUZZ_Input in(data, size);
    const uint32_t type = 4 + in.Byte() % 4;
    const uint32_t flagBits = FlagWidths[in.Byte() % std::size(FlagWidths)];
    const uint32_t coordinateBits = Widths[in.Byte() % std::size(Widths)];
    const uint32_t componentBits = Widths[in.Byte() % std::size(Widths)];
    const unsigned components = 1 + in.Byte() % MaxComponents;
    const uint32_t verticesPerRow = 2 + in.Byte() % 32;
    std::vector<double> pairs;
    for (unsigned i = 0; i < 2 * (2 + components); ++i)
        pairs.push_back(static_cast<int8_t>(in.Byte()) * 16.0);
    const CPDF_MeshEncodingParams params(flagBits, coordinateBits, componentBits,
                                         CPDF_DecodeArray(pairs.data(), 2 + components), verticesPerRow);
    const std::vector<size_t> sizes = in.ChunkSizes();
    const std::string mesh = in.Rest();
    for (bool complete : {false, true}) {
        FUZZ_Expect([&] {
            CPDF_MeshReader reader(GLOB_Stream(new GLOB_ChunkedCore(mesh, sizes, GLOB_StreamCore::Input)), type, params);
            CPDF_MeshPiece piece(0, 1, 1, 1);
            for (int i = 0; i < MaxPieces && reader.HasMoreData(); ++i)
                complete ? reader.ReadCompletePiece(piece) : reader.ReadPiece(piece);
        });
    }
}
