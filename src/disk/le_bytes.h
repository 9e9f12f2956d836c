// Little-endian fields inside byte buffers. Every multi-byte number of the disk record, the MDOS
// volume, TAP blocks and D80 images goes through these, so no struct is ever laid over bytes.
#pragma once

namespace disk {

[[nodiscard]] inline unsigned ReadLe16(const unsigned char* p) {
    return static_cast<unsigned>(p[0]) | static_cast<unsigned>(p[1]) << 8;
}

inline void WriteLe16(unsigned char* p, unsigned value) {
    p[0] = static_cast<unsigned char>(value & 0xFF);
    p[1] = static_cast<unsigned char>((value >> 8) & 0xFF);
}

}  // namespace disk
