#include "cli/command_table.h"

#include "cli/disk_commands.h"
#include "cli/file_commands.h"
#include "cli/read_commands.h"

namespace cli {

namespace {

template <class C>
std::unique_ptr<Command> Make() {
    return std::make_unique<C>();
}

// Adding a command is one class and one line here.
constexpr std::unique_ptr<Command> (*kCommands[])() = {
    Make<InfoCommand>,       Make<LsCommand>,           Make<HeaderCommand>,
    Make<DumpCommand>,       Make<CreateCommand>,       Make<AddCommand>,
    Make<RemoveCommand>,     Make<ExtractCommand>,      Make<FormatCommand>,
    Make<RenameDiskCommand>, Make<RenameVolumeCommand>, Make<PutCommand>,
    Make<GetCommand>,        Make<RmCommand>,           Make<MvCommand>,
    Make<CpCommand>,         Make<TapImportCommand>,    Make<TapExportCommand>,
    Make<D80ImportCommand>,  Make<D80ExportCommand>,    Make<D80ReplaceCommand>,
};

}  // namespace

const std::vector<std::unique_ptr<Command>>& AllCommands() {
    static const std::vector<std::unique_ptr<Command>> commands = [] {
        std::vector<std::unique_ptr<Command>> list;
        for (auto make : kCommands) {
            list.push_back(make());
        }
        return list;
    }();
    return commands;
}

Command* FindCommand(const QString& name) {
    for (const auto& command : AllCommands()) {
        if (command->Name() == name) {
            return command.get();
        }
    }
    return nullptr;
}

}  // namespace cli
