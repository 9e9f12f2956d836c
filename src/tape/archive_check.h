// Archives looked at before libspectrum unpacks them. Its bzip2 reader waits for the end of a
// stream that a cut or empty file never brings, and spins for ever; and it unpacks a whole
// gzip or bzip2 file into memory, so a small file of a few hundred kilobytes that unpacks to
// gigabytes would take them. Both are refused here, after one pass through bzlib or zlib that
// keeps nothing of what it unpacks.
#pragma once

#include <cstddef>
#include <string>

namespace tape {

// Whether the bzip2 data is one whole stream that unpacks to at most maxSize bytes; if not,
// the reason.
[[nodiscard]] bool IsWholeBzip2(const unsigned char* data, std::size_t size, std::size_t maxSize,
                                std::string* why);
// The same for gzip data.
[[nodiscard]] bool IsWholeGzip(const unsigned char* data, std::size_t size, std::size_t maxSize,
                               std::string* why);

}  // namespace tape
