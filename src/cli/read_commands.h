// The commands that only read an image: each seeks to the records it needs.
#pragma once

#include <memory>

#include "cli/command.h"
#include "disk/mdos_disk.h"

namespace cli {

class InfoCommand : public Command {
public:
    InfoCommand();
    int Execute(Invocation& run) override;
};

class LsCommand : public Command {
public:
    LsCommand();
    int Execute(Invocation& run) override;
};

class HeaderCommand : public Command {
public:
    HeaderCommand();
    int Execute(Invocation& run) override;
};

class DumpCommand : public Command {
public:
    DumpCommand();
    int Execute(Invocation& run) override;
};

class GetCommand : public Command {
public:
    GetCommand();
    int Execute(Invocation& run) override;
};

class CatCommand : public Command {
public:
    CatCommand();
    int Execute(Invocation& run) override;
};

class ExtractCommand : public Command {
public:
    ExtractCommand();
    int Execute(Invocation& run) override;
};

// tap-export and d80-export: all files of a disk, or the named ones, through one engine call.
class ExportCommand : public Command {
public:
    ExportCommand(const QString& name, const QString& description, const QString& argument,
                  void (CMdosDisk::*exporter)(const char*, unsigned char**));
    static std::unique_ptr<Command> Tap();
    static std::unique_ptr<Command> D80();
    int Execute(Invocation& run) override;

private:
    void (CMdosDisk::*m_exporter)(const char*, unsigned char**);
};

}  // namespace cli
