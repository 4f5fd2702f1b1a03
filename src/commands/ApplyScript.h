#pragma once
// Replaying a list of user operations on a project through the same tools and
// commands the app uses: choose an image, a mode, a view or a tool, click, drag,
// right-click a region-menu entry, press a key, run a menu command (answering its
// questions and filling its dialog), undo and redo. The command-line `apply` reads
// the list from JSON; tests build it directly.
//
// The commands a script may name are one table (applyCommands): each mode adds its
// rows from its own file, so a new mode's commands become scriptable by adding rows.

#include "commands/PaintStroke.h"
#include "commands/PointerEvent.h"
#include "commands/RegionMenu.h"
#include "commands/ShapeTool.h"
#include "platform/Prompter.h"
#include "platform/Status.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zx {

class AnimateEditor;
class ImageAlign;
class ImageEditSelection;
class Workspace;

struct ApplyOp {
    enum class Kind {
        Image,
        Mode,
        View,
        Tool,
        Click,
        DoubleClick,
        RightClick,
        Drag,
        Key,
        Command,
        Undo,
        Redo
    };
    Kind kind = Kind::Command;
    int number = 0;                            // the image index; how many undos or redos
    std::string text;                          // the mode, view, tool, key or command named
    std::vector<std::array<double, 2>> points; // image pixels of the view shown
    Modifiers keys;
    std::string menu;                 // the region-menu entry a right click chooses
    std::vector<std::string> answers; // "Yes", "No", "OK", "Cancel" for its questions
    DialogValues values;              // its dialog's fields
    std::string file;                 // the file a command takes ("Paste", "Load Object...")
};

// Answers questions from the list an operation gives; remembers every message shown
// (an operation that made the program show a message did not apply cleanly).
class ScriptPrompter : public Prompter {
public:
    void message(std::string_view text, std::string_view title = {}) override;
    Answer ask(std::string_view text, Buttons buttons) override;

    std::deque<Answer> answers;
    std::vector<std::string> messages;
    std::string unanswered; // a question asked with no answer left
};

// What the commands of the table work on.
struct ApplyContext {
    Workspace& workspace;
    AnimateEditor& animate;
    ImageEditSelection* selection = nullptr; // the Image Edit tools, when the face has them
    ImageAlign* align = nullptr;             // the Image Align mode, when the face has it
    std::string file = {};                   // the operation's "file"
    ShapeTool* shapes = nullptr;             // the Shape Tools, while one is chosen
};

struct ApplyCommand {
    std::string_view name;           // the menu text without "&" and accelerator
    std::string_view mode;           // the mode it needs ("animate"), empty for any
    std::vector<std::string> fields; // values a script must give
    std::function<Status(ApplyContext&, const DialogValues&)> run;
    std::vector<std::string> optionalFields = {}; // values that start from the dialog's own
};

// Every command a script may run.
const std::vector<ApplyCommand>& applyCommands();
// The Animate mode's rows.
void addAnimateApplyCommands(std::vector<ApplyCommand>& table);
// The Image Edit mode's rows: selections, masking, adjustments and geometry.
void addImageEditApplyCommands(std::vector<ApplyCommand>& table);
// The Image Align mode's rows: the wizard, ALIGN and the manual transform.
void addImageAlignApplyCommands(std::vector<ApplyCommand>& table);

// A drag has two points at least, a click one; every coordinate a number.
Status applyPointsGiven(const ApplyOp& op);
// A script's coordinate as a pixel; far-off points stay far off without overflowing.
int applyPixel(double v);
// The operation's i-th point with its modifier keys, as the tools take it.
PointerEvent applyPointerEvent(const ApplyOp& op, size_t i);

// A value a tool operation may give: its name, its range, and what it sets.
template <class Settings> struct ToolField {
    std::string_view name;
    int least, most;
    void (*set)(Settings&, int);
};

// The values given set their fields of `settings` (rounded); an unknown name or a value
// out of range is refused, naming the `tool` kind ("A shape tool").
template <class Settings, size_t N>
Status setToolValues(const std::array<ToolField<Settings>, N>& fields, const DialogValues& values,
                     std::string_view tool, Settings& settings) {
    for (const auto& [name, value] : values) {
        const auto f = std::ranges::find(fields, name, &ToolField<Settings>::name);
        if (f == fields.end())
            return Status::refused(std::string(tool) + " takes no value \"" + name + "\"");
        if (!(value >= f->least && value <= f->most))
            return Status::refused("\"" + name + "\" is " + std::to_string(f->least) + " to " +
                                   std::to_string(f->most));
        f->set(settings, int(std::lround(value)));
    }
    return Status::ok();
}

template <class Settings, size_t N>
std::vector<std::string_view> toolFieldNames(const std::array<ToolField<Settings>, N>& fields) {
    std::vector<std::string_view> out;
    for (const ToolField<Settings>& f : fields) out.push_back(f.name);
    return out;
}

// Mode names of the "mode" operation: edit, align, animate, movie, 3d.
std::vector<std::string_view> applyModeNames();
std::vector<std::string_view> applyToolNames();
std::vector<std::string_view> applySelectionToolNames();
std::vector<std::string_view> applyAlignToolNames();
// The hand tools' names, and what their "tool" operation's values set.
std::vector<std::string_view> applyPaintToolNames();
std::vector<std::string_view> applyPaintToolFields();
// The Shape Tools' names, and what their "tool" operation's values set.
std::vector<std::string_view> applyShapeToolNames();
std::vector<std::string_view> applyShapeToolFields();
std::vector<std::string_view> applyKeyNames();
std::vector<std::string_view> applyViewNames();

class ApplySession {
public:
    // `prompter` must be the workspace's prompter.
    ApplySession(Workspace& workspace, AnimateEditor& animate, ScriptPrompter& prompter);
    // Runs one operation; refused (the reason as message) when it cannot apply.
    Status run(const ApplyOp& op);
    // Image Edit mode's tools for tools, pointer operations and commands in that mode.
    void setImageEdit(ImageEditSelection* selection) { selection_ = selection; }
    // Image Align mode's tools, pointer operations and keys in that mode.
    void setImageAlign(ImageAlign* align) { align_ = align; }

private:
    Status editPointer(const ApplyOp& op);
    // Drags and Enter / Escape on a floating picture.
    Status floatingPointer(const ApplyOp& op);
    Status editTool(const ApplyOp& op);
    Status alignPointer(const ApplyOp& op);
    Status alignTool(const ApplyOp& op);
    bool inAlignMode() const;
    Status shapeTool(ShapeKind kind, const ApplyOp& op);
    Status shapePointer(const ApplyOp& op);
    // The hand tools: the tool with its values, then strokes (ApplyPaintTools.cpp).
    std::optional<Status> paintTool(const ApplyOp& op);
    Status paintPointer(const ApplyOp& op);
    Status dispatch(const ApplyOp& op);
    Status pointer(const ApplyOp& op);
    Status command(const ApplyOp& op);
    Status needAnimate() const;
    Status checkPoints(const ApplyOp& op, size_t least) const;

    Workspace& workspace_;
    AnimateEditor& animate_;
    ScriptPrompter& prompter_;
    ImageEditSelection* selection_ = nullptr;
    ImageAlign* align_ = nullptr;
    bool editToolChosen_ = false; // a script names its Image Edit tool before using it
    ShapeTool shapes_{workspace_};
    bool shapeChosen_ = false;           // the pointer draws shapes instead of selecting
    std::optional<PaintSettings> paint_; // the hand tool chosen, when one is
};

} // namespace zx
