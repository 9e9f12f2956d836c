// What libspectrum would read past its own tables if it played it: a TZX generalised data block
// that names a symbol its table lacks, a PZX data block with a bit of no pulses. The library
// trusts both and goes through a null or stray pointer; such a tape is refused before it is
// played.
#pragma once

#include <libspectrum.h>

#include <string>

namespace tape {

// Why the tape can't be played safely, naming the block (from 1), or an empty string.
[[nodiscard]] std::string FindUnplayableBlock(libspectrum_tape* tape);

}  // namespace tape
