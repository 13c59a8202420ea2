// Assembles small metafiles byte by byte: a placeable WMF (key, bounding
// box, units per inch, checksum) or an EMF header record, then records.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

namespace picture::testing {

inline void put16(std::string& out, uint32_t v)
{
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}

inline void put32(std::string& out, uint32_t v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

struct PlaceableSpec {
    int16_t left = 0, top = 0, right = 1440, bottom = 720;
    uint16_t inch = 1440;
    uint32_t key = 0x9AC6CDD7;
    bool badChecksum = false;
};

// The placeable header and the standard 18-byte header; records follow.
inline std::string placeableWmf(const PlaceableSpec& s)
{
    std::string out;
    put32(out, s.key);
    put16(out, 0);
    for (int16_t v : {s.left, s.top, s.right, s.bottom})
        put16(out, static_cast<uint16_t>(v));
    put16(out, s.inch);
    put32(out, 0);
    uint16_t sum = 0;
    for (size_t i = 0; i < 20; i += 2)
        sum ^= static_cast<uint16_t>(static_cast<uint8_t>(out[i]) | (static_cast<uint8_t>(out[i + 1]) << 8));
    put16(out, s.badChecksum ? sum ^ 1 : sum);
    for (uint32_t v : {1u, 9u, 0x300u})
        put16(out, v);
    put32(out, 0);
    put16(out, 0);
    put32(out, 0);
    put16(out, 0);
    return out;
}

// A WMF record: size in 16-bit words, function, parameters.
inline std::string wmfRecord(uint16_t function, std::initializer_list<int16_t> params)
{
    std::string out;
    put32(out, static_cast<uint32_t>(3 + params.size()));
    put16(out, function);
    for (int16_t p : params)
        put16(out, static_cast<uint16_t>(p));
    return out;
}

struct EmfSpec {
    int32_t frame[4] = {0, 0, 2540, 1270}; // hundredths of a millimetre
    int32_t device[2] = {1000, 1000};      // reference device, pixels
    int32_t millimetres[2] = {250, 250};
    uint32_t type = 1;
    uint32_t signature = 0x464D4520;
};

inline std::string emfRecord(uint32_t type, std::initializer_list<int32_t> params)
{
    std::string out;
    put32(out, type);
    put32(out, static_cast<uint32_t>(8 + 4 * params.size()));
    for (int32_t p : params)
        put32(out, static_cast<uint32_t>(p));
    return out;
}

// The 88-byte header record; nBytes is left 0 (the file's own length counts).
inline std::string emfHeader(const EmfSpec& s)
{
    std::string out;
    put32(out, s.type);
    put32(out, 88);
    for (int32_t v : {0, 0, 100, 50})
        put32(out, static_cast<uint32_t>(v));
    for (int32_t v : s.frame)
        put32(out, static_cast<uint32_t>(v));
    put32(out, s.signature);
    put32(out, 0x10000);
    for (int i = 0; i < 6; ++i)
        put32(out, 0);
    for (int32_t v : {s.device[0], s.device[1], s.millimetres[0], s.millimetres[1]})
        put32(out, static_cast<uint32_t>(v));
    return out;
}

} // namespace picture::testing
