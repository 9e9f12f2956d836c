// Tapes are read in a child process. libspectrum trusts the files it reads: damaged ones have
// made it read past its buffers, free a tape twice, follow null pointers and spin for ever.
// Checks before it runs catch the faults found so far (unplayable.h, archive_check.h); the
// child contains the ones nobody has found yet, so a damaged tape costs a message, never the
// program or the image open in it.
#pragma once

#include <functional>
#include <string>

#include "tape/tape_file.h"

namespace tape {

// Runs work in a forked child and returns, in *result, the bytes it returned. False, with the
// reason in *error, when the child crashed, was killed, or ran longer than seconds.
bool RunIsolated(const std::function<std::string()>& work, int seconds, std::string* result,
                 std::string* error);

// A read's outcome as bytes that cross from the child to the program, and back.
[[nodiscard]] std::string EncodeRead(bool read, const std::string& error, const Tape& tape);
// False when the bytes are not a whole outcome (the child stopped while writing it).
bool DecodeRead(const std::string& bytes, bool* read, std::string* error, Tape* tape);

}  // namespace tape
