// The commands that only read an image: each seeks to the records it needs.
#pragma once

#include "cli/command.h"

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

class ExtractCommand : public Command {
public:
    ExtractCommand();
    int Execute(Invocation& run) override;
};

class TapExportCommand : public Command {
public:
    TapExportCommand();
    int Execute(Invocation& run) override;
};

class D80ExportCommand : public Command {
public:
    D80ExportCommand();
    int Execute(Invocation& run) override;
};

}  // namespace cli
