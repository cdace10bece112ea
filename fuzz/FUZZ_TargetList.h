// The target functions, one per reader of untrusted bytes.
#pragma once

#include <cstddef>
#include <cstdint>

void FUZZ_Lexer(const uint8_t* data, size_t size);
void FUZZ_OperatorParser(const uint8_t* data, size_t size);
void FUZZ_ParseObject(const uint8_t* data, size_t size);
void FUZZ_FlateDecode(const uint8_t* data, size_t size);
void FUZZ_FlatePredictDecode(const uint8_t* data, size_t size);
void FUZZ_RunLengthDecode(const uint8_t* data, size_t size);
void FUZZ_ASCIIHexDecode(const uint8_t* data, size_t size);
void FUZZ_ASCII85Decode(const uint8_t* data, size_t size);
void FUZZ_CCITTFaxDecode(const uint8_t* data, size_t size);
void FUZZ_DCTDecode(const uint8_t* data, size_t size);
void FUZZ_FilterChain(const uint8_t* data, size_t size);
void FUZZ_MemoryStream(const uint8_t* data, size_t size);
void FUZZ_PSFunction(const uint8_t* data, size_t size);
void FUZZ_MeshReader(const uint8_t* data, size_t size);
void FUZZ_ColorReaders(const uint8_t* data, size_t size);
void FUZZ_ContentParser(const uint8_t* data, size_t size);
void FUZZ_SeparatePage(const uint8_t* data, size_t size);
void FUZZ_SliceFunction(const uint8_t* data, size_t size);
void FUZZ_SliceShading(const uint8_t* data, size_t size);
void FUZZ_SliceImage(const uint8_t* data, size_t size);
void FUZZ_HostSeparatePage(const uint8_t* data, size_t size);
