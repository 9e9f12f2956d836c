// The commands that change the files of one disk.
#pragma once

#include "cli/command.h"

namespace cli {

class PutCommand : public Command {
public:
    PutCommand();
    int Execute(Invocation& run) override;
};

class RmCommand : public Command {
public:
    RmCommand();
    int Execute(Invocation& run) override;
};

class MvCommand : public Command {
public:
    MvCommand();
    int Execute(Invocation& run) override;
};

class CpCommand : public Command {
public:
    CpCommand();
    int Execute(Invocation& run) override;
};

class TapImportCommand : public Command {
public:
    TapImportCommand();
    int Execute(Invocation& run) override;
};

class D80ImportCommand : public Command {
public:
    D80ImportCommand();
    int Execute(Invocation& run) override;
};

}  // namespace cli
