// LZW data for test files, as PDF writers make them: codes of 9 to 12 bits
// with early change, a clear code first and the end code last. Plain data
// that would fill the table are refused (asserted): tests keep them short.
// Without endCode the data end after their last code, padded to a byte.
#pragma once

#include <cassert>
#include <cstdint>
#include <map>
#include <string>

inline std::string LZWEncoded(const std::string& plain, bool endCode = true) {
    std::string out;
    uint32_t bits = 0, count = 0, emitted = 0;
    std::map<std::string, uint32_t> table;
    for (uint32_t i = 0; i < 256; ++i)
        table[std::string(1, static_cast<char>(i))] = i;
    uint32_t next = 258;
    const auto emit = [&](uint32_t code) {
        // The decoder's table is one entry behind the encoder's.
        const uint32_t decoderNext = 258 + (emitted > 1 ? emitted - 1 : 0);
        uint32_t width = 9;
        while (width < 12 && decoderNext + 1 >= (1u << width))
            ++width;
        bits = (bits << width) | code;
        count += width;
        while (count >= 8) {
            count -= 8;
            out += static_cast<char>((bits >> count) & 0xFF);
        }
        bits &= (1u << count) - 1;
        ++emitted;
    };
    emit(256);
    emitted = 0;
    std::string word;
    for (const char c : plain) {
        const std::string longer = word + c;
        if (table.count(longer)) {
            word = longer;
            continue;
        }
        emit(table[word]);
        assert(next < 4096);
        table[longer] = next++;
        word = std::string(1, c);
    }
    if (!word.empty())
        emit(table[word]);
    if (endCode)
        emit(257);
    if (count > 0)
        out += static_cast<char>((bits << (8 - count)) & 0xFF);
    return out;
}
