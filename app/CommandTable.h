#pragma once
// The frame's resources as data: the menu with captions, status prompts and tool tips, the
// accelerators and the tool bar slots. The frame builds its actions from these tables.

#include <vector>

struct MenuItemSpec {
    int id = 0;                         // 0: separator
    const char* caption = "";           // with "\t" and the shortcut text where the menu shows one
    const char* statusPrompt = nullptr; // nullptr: the id has no string entry
    const char* toolTip = nullptr;      // nullptr: no tool tip
};

struct MenuPopupSpec {
    const char* caption;
    std::vector<MenuItemSpec> items;
};

struct AcceleratorSpec {
    const char* keys; // portable key sequence text, for example "Ctrl+N"
    int id;
};

const std::vector<MenuPopupSpec>& MainMenuSpec();
const std::vector<AcceleratorSpec>& AcceleratorSpecs();
// Tool bar slots in order; 0 marks a separator.
const std::vector<int>& ToolBarSlots();
// The menu item of a command, or nullptr.
const MenuItemSpec* FindMenuItem(int id);
// True for commands with program behaviour; the others are bound to keys only.
bool CommandHasBehaviour(int id);

inline constexpr const char* AppTitle = "ヌリモコ";
inline constexpr const char* IdleStatusText = "準備完了";
// The application's name for the desktop: its entry nurimoko.desktop, so that docks and task bars
// match the window to the entry.
inline constexpr const char* DesktopFileName = "nurimoko";
