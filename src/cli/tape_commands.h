// The commands that read tapes of every format: tape-list shows what a tape holds and what an
// import makes of it; tape-import adds a tape's files to a disk.
#pragma once

#include <QString>

#include "cli/command.h"
#include "image/brindle_doc.h"

namespace cli {

class TapeListCommand : public Command {
public:
    TapeListCommand();
    int Execute(Invocation& run) override;
};

class TapeImportCommand : public Command {
public:
    TapeImportCommand();
    int Execute(Invocation& run) override;
};

// add --tape FILE: count new tape disks, each given the tape's files. False after reporting a
// tape that can't be read; the document is then unchanged.
bool AddTapeDisks(CBrindleDoc& doc, int count, const QString& path);

}  // namespace cli
