// Every command of the program in menu order: the one place where menu texts, keys, status-bar
// prompts and tool tips are written down. The main frame builds its menu bar, toolbar and keys
// from here; the classes that handle the commands bind to the same ids.
#pragma once

#include <QString>
#include <span>

struct CommandInfo {
    // Title of the menu that carries the entry; null for commands without a menu entry.
    const char* menu;
    // Entry text: "&" marks the mnemonic, the shown shortcut follows a tab.
    const char* text;
    // The command id; 0 is a separator between entries of a menu.
    int id;
    // Keys that run the command, in QKeySequence's portable notation; null when unused.
    const char* keys[2];
    // The status-bar prompt, then after "\n" the tool tip; null when the command has neither.
    const char* prompt;
};

[[nodiscard]] std::span<const CommandInfo> CommandTable();
// The entry for id, or null.
[[nodiscard]] const CommandInfo* FindCommand(int id);

// The toolbar's buttons in order; 0 is a separator.
[[nodiscard]] std::span<const int> ToolBarLayout();

// The parts of a prompt: the text before "\n" and the tool tip after it.
[[nodiscard]] QString StatusPrompt(const CommandInfo& info);
[[nodiscard]] QString ToolTip(const CommandInfo& info);

// The recent-file entries take the ids from cmd::kFileMruFirst on; they share one prompt.
inline constexpr char kRecentFilePlaceholder[] = "Recent File";
inline constexpr char kRecentFilePrompt[] = "Open this document";
