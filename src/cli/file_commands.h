// The commands that change the files of one disk.
#pragma once

#include <memory>

#include "cli/command.h"
#include "disk/mdos_disk.h"

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

// tap-import, d80-import and d80-replace: a host file applied to a disk by one engine call.
class DiskFileCommand : public Command {
public:
    DiskFileCommand(const QString& name, const QString& description, const QString& argument,
                    void (CMdosDisk::*apply)(const char*));
    static std::unique_ptr<Command> TapImport();
    static std::unique_ptr<Command> D80Import();
    static std::unique_ptr<Command> D80Replace();
    int Execute(Invocation& run) override;

private:
    void (CMdosDisk::*m_apply)(const char*);
};

}  // namespace cli
