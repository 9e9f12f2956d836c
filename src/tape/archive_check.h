// Archives looked at before libspectrum unpacks them. Its bzip2 reader waits for the end of a
// stream that a cut or empty file never brings, and spins for ever; such a file is refused
// here, after one pass through bzlib that keeps nothing of what it unpacks.
#pragma once

#include <cstddef>
#include <string>

namespace tape {

// Whether the bzip2 data is one whole stream that unpacks to at most maxSize bytes; if not,
// the reason.
[[nodiscard]] bool IsWholeBzip2(const unsigned char* data, std::size_t size, std::size_t maxSize,
                                std::string* why);

}  // namespace tape
