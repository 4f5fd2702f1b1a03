#pragma once
// Every Image Edit command and dialog that changes pictures, by its menu text, with
// the values its dialog asks for named by their labels: one table, so that a script
// can name an operation and its values the way the user sees them. Each entry runs
// the same engine operation the menu does, on one image of a project.

#include "commands/AdjustmentCommands.h"
#include "platform/Prompter.h"
#include "platform/Status.h"
#include "storage/Project.h"

#include <functional>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zx {

// Values by label; numbers, with 0 and 1 for check boxes.
using CommandValues = std::map<std::string, double, std::less<>>;

// One value of a dialog: its label, its range and the value it starts from.
struct CommandField {
    std::string_view label;
    int min = 0;
    int max = 0;
    int initial = 0;
};

// Every value of the entry, given or initial, within its range.
using FieldValues = std::map<std::string_view, int, std::less<>>;

// What a run answers questions with, and the preview an adjustment computes instead of
// changing the image (other commands ignore it).
struct CommandRun {
    Prompter& prompter;
    const AdjustPreview* preview = nullptr;
};

struct ImageEditCommand {
    std::string_view name; // the menu text without its accelerator mark
    std::vector<CommandField> fields;
    std::function<Status(Project&, int image, const FieldValues&, const CommandRun&)> run;
};

// Labels every picture edit accepts besides its own.
struct CommonField {
    static constexpr std::string_view Background = "Background"; // edit the background
    static constexpr std::string_view ApplyToSelection = "Apply to Selection";
    static constexpr std::string_view Feathering = "Feathering"; // 0 "No" … 3 "4px"
};

// The light of "Lighting Effects..." (eighths of a pixel): centre, the first focus's
// offset from it and the long half-axis; a size of 0 lays the opening circle.
struct LightField {
    static constexpr std::string_view X = "Light X";
    static constexpr std::string_view Y = "Light Y";
    static constexpr std::string_view FocusX = "Focus X";
    static constexpr std::string_view FocusY = "Focus Y";
    static constexpr std::string_view Size = "Light size";
};

std::span<const ImageEditCommand> imageEditCommands();
// By name, ignoring case; null when there is none.
const ImageEditCommand* findImageEditCommand(std::string_view name);

// Checks the values against the entry's fields (an unknown label or a value out of
// range is refused with a message, before anything changes) and runs it.
Status runImageEditCommand(const ImageEditCommand& command, Project& project, int image,
                           const CommandValues& values, Prompter& prompter,
                           const AdjustPreview* preview = nullptr);

} // namespace zx
