// The commands that make an image or change whole disks of it.
#pragma once

#include <memory>

#include "cli/command.h"
#include "disk/mdos_disk.h"

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

// rename-disk and rename-volume: a name argument of at most maxBytes, set by one engine call.
class RenameCommand : public Command {
public:
    RenameCommand(const QString& name, const QString& description, int maxBytes,
                  void (CMdosDisk::*setter)(const char*));
    static std::unique_ptr<Command> Disk();
    static std::unique_ptr<Command> Volume();
    int Execute(Invocation& run) override;

private:
    int m_maxBytes;
    void (CMdosDisk::*m_setter)(const char*);
};

}  // namespace cli
