// What libspectrum would read past its own tables if it played it. The library trusts a TZX's
// generalised data blocks: a symbol its table lacks sends it through a null or stray pointer.
// Such a tape is refused before it is played.
#pragma once

#include <libspectrum.h>

#include <string>

namespace tape {

// Why the tape can't be played safely, naming the block (from 1), or an empty string.
[[nodiscard]] std::string FindUnplayableBlock(libspectrum_tape* tape);

}  // namespace tape
