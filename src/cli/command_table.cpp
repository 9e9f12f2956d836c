#include "cli/command_table.h"

#include "cli/check_command.h"
#include "cli/disk_commands.h"
#include "cli/file_commands.h"
#include "cli/read_commands.h"
#include "cli/tape_commands.h"
#include "cli/view_command.h"

namespace cli {

namespace {

template <class C>
std::unique_ptr<Command> Make() {
    return std::make_unique<C>();
}

// Adding a command is one class and one line here.
constexpr std::unique_ptr<Command> (*kCommands[])() = {
    Make<InfoCommand>,            // info
    Make<LsCommand>,              // ls
    Make<HeaderCommand>,          // header
    Make<DumpCommand>,            // dump
    Make<ViewCommand>,            // view
    Make<CreateCommand>,          // create
    Make<AddCommand>,             // add
    Make<RemoveCommand>,          // remove
    Make<ExtractCommand>,         // extract
    Make<FormatCommand>,          // format
    RenameCommand::Disk,          // rename-disk
    RenameCommand::Volume,        // rename-volume
    Make<PutCommand>,             // put
    Make<GetCommand>,             // get
    Make<CatCommand>,             // cat
    Make<RmCommand>,              // rm
    Make<MvCommand>,              // mv
    Make<CpCommand>,              // cp
    DiskFileCommand::TapImport,   // tap-import
    ExportCommand::Tap,           // tap-export
    DiskFileCommand::D80Import,   // d80-import
    ExportCommand::D80,           // d80-export
    DiskFileCommand::D80Replace,  // d80-replace
    Make<TapeListCommand>,        // tape-list
    Make<TapeImportCommand>,      // tape-import
    Make<CheckCommand>,           // check
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
