// The commands that make an image or change whole disks of it.
#pragma once

#include "cli/command.h"

namespace cli {

class CreateCommand : public Command {
public:
    CreateCommand();
    int Execute(Invocation& run) override;
};

class AddCommand : public Command {
public:
    AddCommand();
    int Execute(Invocation& run) override;
};

class RemoveCommand : public Command {
public:
    RemoveCommand();
    int Execute(Invocation& run) override;
};

class FormatCommand : public Command {
public:
    FormatCommand();
    int Execute(Invocation& run) override;
};

class RenameDiskCommand : public Command {
public:
    RenameDiskCommand();
    int Execute(Invocation& run) override;
};

class RenameVolumeCommand : public Command {
public:
    RenameVolumeCommand();
    int Execute(Invocation& run) override;
};

class D80ReplaceCommand : public Command {
public:
    D80ReplaceCommand();
    int Execute(Invocation& run) override;
};

}  // namespace cli
