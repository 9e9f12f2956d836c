#include "content/spectrum_number.h"

#include <cmath>
#include <cstdio>

namespace content {

double DecodeNumber(const unsigned char* p) {
    if (p[0] == 0) {
        // Any sign byte but 0 counts as negative, as the ROM's own reader takes it.
        const int magnitude = p[2] | p[3] << 8;
        return p[1] == 0 ? magnitude : magnitude - 65536;
    }
    const unsigned long mantissa = static_cast<unsigned long>(p[1] | 0x80) << 24 |
                                   static_cast<unsigned long>(p[2]) << 16 |
                                   static_cast<unsigned long>(p[3]) << 8 | p[4];
    const double value = std::ldexp(static_cast<double>(mantissa), p[0] - 128 - 32);
    return (p[1] & 0x80) != 0 ? -value : value;
}

std::string FormatNumber(double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%.10g", value);
    // printf's "1.5e+10" and "1e-05" become the machine's "1.5E+10" and "1E-5".
    std::string result;
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c != 'e') {
            result += *c;
            continue;
        }
        result += 'E';
        ++c;
        result += *c;  // the exponent's sign
        while (c[1] == '0' && c[2] != '\0') {
            ++c;
        }
    }
    return result;
}

}  // namespace content
