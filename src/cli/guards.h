// What a command checks before it writes anything: that a host file it is about to write is
// not the image itself, not a pipe or a device, and not somebody's existing file (unless
// --force), and that the files it reads from a disk have chains that hold their bytes.
#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

class CMdosDisk;

namespace cli {

struct Invocation;

// kExitDone when the host file at path may be written: a new name, or an existing regular file
// that is not the image (argument 0) when --force is set. Else reports and returns kExitFailed.
int CheckOutput(const Invocation& run, const QByteArray& path);

// What a command is about to do with a file's chain.
enum class ChainUse {
    // Read the bytes: a chain that starts or leads outside the volume, loops, runs into a free
    // sector, is too short or too long, or shares sectors with another file gives zeros or
    // another file's bytes.
    Read,
    // Free the sectors: only a chain that can't be followed to its end (outside, loop, free
    // sector) stops the delete halfway.
    Free,
};

// The checker's sentences about the files in entries whose chains are broken for that use, in
// the checker's order.
[[nodiscard]] std::vector<QString> BrokenChains(CMdosDisk& disk,
                                                const std::vector<unsigned char*>& entries,
                                                ChainUse use);
// kExitDone when no entry is broken for the use or --force is set; else reports the checker's
// sentence for each, then what --force would do, and returns kExitFailed.
int RefuseBroken(const Invocation& run, CMdosDisk& disk, const std::vector<unsigned char*>& entries,
                 ChainUse use);

}  // namespace cli
