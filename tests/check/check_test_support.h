// Helpers of the checker tests: finding lookups and the damage the tests do to a volume.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "check/volume_check.h"
#include "disk/disk_test_support.h"

namespace checktest {

inline std::vector<std::string> Codes(const std::vector<check::Finding>& findings) {
    std::vector<std::string> codes;
    for (const check::Finding& f : findings) {
        codes.push_back(f.code);
    }
    return codes;
}

// The one finding of the code; fails the test when there is none or more than one.
inline check::Finding Only(const std::vector<check::Finding>& findings, const std::string& code) {
    const auto n = std::count_if(findings.begin(), findings.end(),
                                 [&](const check::Finding& f) { return f.code == code; });
    EXPECT_EQ(n, 1) << "findings of " << code;
    for (const check::Finding& f : findings) {
        if (f.code == code) {
            return f;
        }
    }
    return {};
}

inline void SetFat(CMdosDisk& disk, int index, int value) {
    disk.SetFatEntry(disk.GetSector(CMdosDisk::kFirstFatSector), index, value);
}

inline void SetLength(unsigned char* entry, int length) {
    entry[CMdosDisk::kEntryLengthLow] = static_cast<unsigned char>(length & 0xFF);
    entry[CMdosDisk::kEntryLengthLow + 1] = static_cast<unsigned char>((length >> 8) & 0xFF);
    entry[CMdosDisk::kEntryLengthHigh] = static_cast<unsigned char>((length >> 16) & 0xFF);
}

}  // namespace checktest
