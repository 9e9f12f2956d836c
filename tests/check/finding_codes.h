// The codes of a check's findings, in the checker's order: what most checker tests compare.
#pragma once

#include <string>
#include <vector>

#include "check/volume_check.h"

namespace checktest {

using Strings = std::vector<std::string>;

inline Strings Codes(const std::vector<check::Finding>& findings) {
    Strings codes;
    for (const check::Finding& f : findings) {
        codes.push_back(f.code);
    }
    return codes;
}

}  // namespace checktest
