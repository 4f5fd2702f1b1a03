// `apply IN.zxp --ops OPS.json [-o OUT.zxp]`: replays a list of user operations
// (choose an image, mode, view or tool, click, drag, right-click a menu entry, press a
// key, run a menu command, undo, redo; shapes drawn with the Shape Tools) through the same tools
// and commands as the app, then saves, or without -o says what changed. The first operation that
// cannot apply stops the run with its index and the reason, and nothing is saved. `apply --list`
// names every tool, command and dialog field accepted.

#include "anim/AnimationModel.h"
#include "anim/AnimationRecord.h"
#include "cli/Commands.h"
#include "cli/TerminalProgress.h"
#include "commands/AnimateEditor.h"
#include "commands/ApplyScript.h"
#include "commands/ImageAlign.h"
#include "commands/ImageEditSelection.h"
#include "commands/ProjectSaving.h"
#include "commands/Workspace.h"
#include "platform/Prompter.h"
#include "storage/ProjectFile.h"

#include <nlohmann/json.hpp>

#include <fstream>
#include <iostream>

namespace zx::cli {

namespace {

// Image Edit mode's part of undo and redo: the selection steps.
struct SelectionUndo : ModePanel {
    explicit SelectionUndo(ImageEditSelection& s) : selection(s) {}
    bool busy() const override { return selection.busy(); }
    void undo(const HistoryStep& step) override { selection.undo(step); }
    void redo(const HistoryStep& step) override { selection.redo(step); }
    ImageEditSelection& selection;
};

using json = nlohmann::json;

struct ApplyOptions {
    std::string input;
    std::string ops;
    std::string output;
    bool list = false;
};

// A malformed operation: what is wrong with it.
struct OpError {
    std::string reason;
};

std::array<double, 2> point(const json& j) {
    if (!j.is_array() || j.size() != 2 || !j[0].is_number() || !j[1].is_number())
        throw OpError{"a point is [x, y] with two numbers"};
    return {j[0].get<double>(), j[1].get<double>()};
}

std::string text(const json& j, const char* what) {
    if (!j.is_string()) throw OpError{std::string(what) + " must be a text"};
    return j.get<std::string>();
}

void readExtras(const json& j, ApplyOp& op) {
    if (j.contains("keys")) {
        if (!j["keys"].is_array()) throw OpError{"\"keys\" is a list"};
        for (const json& k : j["keys"]) {
            const std::string key = text(k, "a key");
            if (key == "shift")
                op.keys.shift = true;
            else if (key == "ctrl")
                op.keys.ctrl = true;
            else if (key == "alt")
                op.keys.alt = true;
            else
                throw OpError{"unknown modifier \"" + key + "\" (shift, ctrl, alt)"};
        }
    }
    if (j.contains("menu")) op.menu = text(j["menu"], "\"menu\"");
    if (j.contains("file")) op.file = text(j["file"], "\"file\"");
    if (j.contains("answers")) {
        if (!j["answers"].is_array()) throw OpError{"\"answers\" is a list"};
        for (const json& a : j["answers"]) op.answers.push_back(text(a, "an answer"));
    }
    if (j.contains("values")) {
        if (!j["values"].is_object()) throw OpError{"\"values\" is an object"};
        for (const auto& [field, value] : j["values"].items()) {
            if (!value.is_number()) throw OpError{"the value \"" + field + "\" is not a number"};
            op.values[field] = value.get<double>();
        }
    }
}

ApplyOp parseOp(const json& j) {
    if (!j.is_object()) throw OpError{"an operation is a JSON object"};
    using K = ApplyOp::Kind;
    ApplyOp op;
    int kinds = 0;
    auto has = [&](const char* key, K kind) {
        if (!j.contains(key)) return false;
        op.kind = kind;
        ++kinds;
        return true;
    };
    if (has("image", K::Image)) {
        if (!j["image"].is_number_integer()) throw OpError{"\"image\" is an index"};
        op.number = j["image"].get<int>();
    }
    if (has("mode", K::Mode)) op.text = text(j["mode"], "\"mode\"");
    if (has("view", K::View)) op.text = text(j["view"], "\"view\"");
    if (has("tool", K::Tool)) op.text = text(j["tool"], "\"tool\"");
    if (has("click", K::Click)) op.points = {point(j["click"])};
    if (has("double_click", K::DoubleClick)) op.points = {point(j["double_click"])};
    if (has("right_click", K::RightClick)) op.points = {point(j["right_click"])};
    if (has("drag", K::Drag)) {
        if (!j["drag"].is_array() || j["drag"].size() < 2)
            throw OpError{"\"drag\" is a list of at least two points"};
        for (const json& p : j["drag"]) op.points.push_back(point(p));
    }
    if (has("key", K::Key)) op.text = text(j["key"], "\"key\"");
    if (has("command", K::Command)) op.text = text(j["command"], "\"command\"");
    for (auto [key, kind] : {std::pair{"undo", K::Undo}, std::pair{"redo", K::Redo}}) {
        if (!has(key, kind)) continue;
        if (!j[key].is_number_integer() || j[key].get<int>() < 1)
            throw OpError{std::string("\"") + key + "\" is a count of at least 1"};
        op.number = j[key].get<int>();
    }
    if (kinds != 1)
        throw OpError{kinds == 0 ? "no operation named (image, mode, view, tool, click, "
                                   "double_click, right_click, drag, key, command, undo, redo)"
                                 : "more than one operation in one object"};
    readExtras(j, op);
    return op;
}

// The operations of the file, or a message saying which one is wrong.
std::optional<std::vector<ApplyOp>> readOps(const std::string& path, std::string& error) {
    std::ifstream in(path);
    if (!in) {
        error = "Cannot read " + path;
        return std::nullopt;
    }
    json doc = json::parse(in, nullptr, false);
    if (doc.is_discarded()) {
        error = path + " is not valid JSON";
        return std::nullopt;
    }
    if (doc.is_object() && doc.contains("ops")) doc = doc["ops"];
    if (!doc.is_array()) {
        error = path + " must hold a list of operations";
        return std::nullopt;
    }
    std::vector<ApplyOp> ops;
    for (size_t i = 0; i < doc.size(); ++i) {
        try {
            ops.push_back(parseOp(doc[i]));
        } catch (const OpError& e) {
            error = "Operation " + std::to_string(i) + ": " + e.reason;
            return std::nullopt;
        } catch (const json::exception& e) {
            error = "Operation " + std::to_string(i) + ": " + e.what();
            return std::nullopt;
        }
    }
    return ops;
}

void printList() {
    auto line = [](std::string_view head, const std::vector<std::string_view>& names) {
        std::cout << head;
        for (size_t i = 0; i < names.size(); ++i) std::cout << (i ? ", " : " ") << names[i];
        std::cout << "\n";
    };
    std::cout << "Operations: {\"image\": I}, {\"mode\": M}, {\"view\": V}, {\"tool\": T}, "
                 "{\"click\": [x, y]}, {\"double_click\": [x, y]}, {\"right_click\": [x, y], "
                 "\"menu\": ENTRY}, {\"drag\": [[x, y], ...]}, {\"key\": K}, {\"command\": C}, "
                 "{\"undo\": N}, {\"redo\": N}; optional \"keys\": [\"shift\", \"ctrl\", "
                 "\"alt\"], \"answers\": [\"Yes\", ...], \"values\": {\"Field\": number}\n";
    line("Modes:", applyModeNames());
    line("Views:", applyViewNames());
    line("Tools:", applyToolNames());
    line("Image Edit tools:", applySelectionToolNames());
    line("Image Align tools:", applyAlignToolNames());
    line("Hand tools (then clicks and drags, one stroke each):", applyPaintToolNames());
    line("Hand tool values:", applyPaintToolFields());
    line("Shape tools (then drags, {\"key\": \"Escape\"} and {\"command\": \"APPLY\"}; "
         "Text needs the app's fonts):",
         applyShapeToolNames());
    line("Shape tool values:", applyShapeToolFields());
    line("Keys:", applyKeyNames());
    std::cout << "Commands:\n";
    for (const ApplyCommand& c : applyCommands()) {
        std::cout << "  " << c.name;
        for (const std::string& f : c.fields) std::cout << "  [value \"" << f << "\"]";
        for (const std::string& f : c.optionalFields) std::cout << "  [\"" << f << "\"]";
        std::cout << "\n";
    }
    std::cout << "Region menu entries (\"menu\" of a right click):\n";
    for (const RegionMenuItem& item : regionMenuCatalogue()) {
        std::cout << "  " << item.label;
        if (!item.field.empty()) std::cout << "  [value \"" << item.field << "\"]";
        std::cout << "\n";
    }
}

// Without -o: the steps the run recorded and the images whose animation changed.
void printChanges(const Project& project, int firstStep,
                  const std::vector<std::optional<std::vector<uint32_t>>>& before) {
    const History& history = project.history;
    std::cout << "Steps:";
    for (int i = std::max(0, firstStep); i <= history.position(); ++i)
        std::cout << (i > firstStep ? ", " : " ") << history[i].label;
    std::cout << "\n";
    for (int i = 0; i < project.imageCount(); ++i) {
        const ProjectImage* image = project.images.at(i);
        if (size_t(i) < before.size() && image->animation == before[size_t(i)]) continue;
        AnimationModel model;
        RecordReadOptions read;
        read.forRewrite = true;
        if (image->animation) (void)readAnimationRecord(model, *image->animation, read);
        std::cout << "Image " << i << ": animation changed, " << model.objectCount << " objects\n";
    }
}

int runApply(const ApplyOptions& o, Context& context) {
    if (o.list) {
        printList();
        return 0;
    }
    Prompter& terminal = context.prompter();
    if (o.input.empty() || o.ops.empty()) {
        terminal.message("apply needs a project and --ops OPS.json (or --list)");
        return 1;
    }
    if (!o.output.empty())
        if (auto error = saveExtensionError(o.output)) {
            terminal.message(*error);
            return 1;
        }
    std::string error;
    const auto ops = readOps(o.ops, error);
    if (!ops) {
        terminal.message(error);
        return 1;
    }
    std::unique_ptr<Project> project = context.openProject(o.input);
    if (!project) return 1;

    ScriptPrompter script;
    Workspace workspace(script, context.settings());
    AnimateEditor animate(workspace);
    animate.makeProgress = [&context] { return std::make_unique<TerminalProgress>(context.quiet); };
    workspace.setPanel(AnimationMode::Animate, &animate);
    ImageEditSelection selection(workspace);
    SelectionUndo selectionUndo(selection);
    workspace.setPanel(AnimationMode::ImageEdit, &selectionUndo);
    ImageAlign align(workspace);
    workspace.setPanel(AnimationMode::ImageAlign, &align);
    workspace.replaceProject(std::move(project));
    const int firstStep = workspace.project().history.position() + 1;
    std::vector<std::optional<std::vector<uint32_t>>> before;
    for (int i = 0; i < workspace.project().imageCount(); ++i)
        before.push_back(workspace.project().images.at(i)->animation);

    ApplySession session(workspace, animate, script);
    session.setImageEdit(&selection);
    session.setImageAlign(&align);
    for (size_t i = 0; i < ops->size(); ++i) {
        Status s = session.run((*ops)[i]);
        if (!s) {
            terminal.message("Operation " + std::to_string(i) + ": " + s.fullText() +
                             "\nNothing was saved.");
            return 1;
        }
    }
    // The app asks before it saves; a script says what to do with the transform.
    if (align.pending()) {
        terminal.message("The Image Align transform is not applied: end with {\"command\": "
                         "\"Apply\"} or {\"command\": \"Reset\"}\nNothing was saved.");
        return 1;
    }
    if (workspace.floating.pending) {
        terminal.message("A pasted picture is still floating: end with {\"key\": \"Enter\"} to "
                         "merge it or {\"key\": \"Escape\"} to drop it\nNothing was saved.");
        return 1;
    }
    if (o.output.empty()) {
        printChanges(workspace.project(), firstStep, before);
        return 0;
    }
    if (Status saved = saveProjectFile(workspace.project(), o.output, script); !saved) {
        terminal.message(saved.fullText());
        return 1;
    }
    std::cout << "Applied " << ops->size() << " operations; saved " << o.output << "\n";
    return 0;
}

} // namespace

void registerApplyCommand(CLI::App& app, Context& context) {
    auto options = std::make_shared<ApplyOptions>();
    CLI::App* sub = app.add_subcommand(
        "apply", "Replay user operations (tools, clicks, menu commands, undo) from a JSON list "
                 "on a project through the app's own tools, then save it");
    sub->add_option("input", options->input, "The project to read (.zxp)");
    sub->add_option("--ops", options->ops, "The JSON file with the list of operations");
    sub->add_option("-o,--output", options->output,
                    "The project file to write (.zxp); without it, say what changed");
    sub->add_flag("--list", options->list,
                  "Name every tool, command, region-menu entry and dialog field accepted");
    sub->callback([options, &context] { context.exitCode = runApply(*options, context); });
}

} // namespace zx::cli
