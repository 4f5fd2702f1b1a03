#pragma once
// The document: everything the user saves, plus where it was saved and its undo
// history. The app's main frame and the command-line tool both work on a Project;
// the mode panels keep their state words here so that saving and loading them is
// the project file's business alone.

#include "storage/AnimationMode.h"
#include "storage/CameraValues.h"
#include "storage/CanvasColour.h"
#include "storage/History.h"
#include "storage/ImageList.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace zx {

struct Settings;

// The panel words below are stored and restored exactly, in file order. Words whose
// meaning no panel defines yet are named ReservedN after their slot.

// The Movie panel words of the header: the lighting and mouse settings of the panel.
struct MoviePanelWords {
    enum Slot {
        LightShading = 0,
        BackgroundField = 1, // degrees; 0 = no move
        Ambient = 2,
        Reflection = 3, // stored doubled
        BackLight = 4,
        MouseModes = 5, // bit 0: left button orbits; bit 1: right button dollies
        LightTurn = 6,
        LightTilt = 7,
        FollowCamera = 8,
        Reserved9 = 9,
        Reserved10 = 10,
        Reserved11 = 11, // zero when an older 80-byte header is read
    };
    std::array<int32_t, 12> words{};
    int32_t& operator[](int slot) { return words[size_t(slot)]; }
    int32_t operator[](int slot) const { return words[size_t(slot)]; }
    bool operator==(const MoviePanelWords&) const = default;
};

// TIML: the timeline panel.
struct TimelineWords {
    enum Slot {
        Reserved0 = 0,
        StripScale = 1, // pixels per frame
        ShowSubject = 2,
        ShowBackground = 3,
        Reserved4 = 4,
        Reserved5 = 5,
    };
    std::array<int32_t, 6> words{};
    int32_t& operator[](int slot) { return words[size_t(slot)]; }
    int32_t operator[](int slot) const { return words[size_t(slot)]; }
    bool operator==(const TimelineWords&) const = default;

    // A new project's timeline: both rows shown at a readable scale.
    static TimelineWords forNewProject();
    // True for a file written without timeline state (the timeline never stores scale 0).
    bool unset() const { return words[StripScale] == 0; }
};

// KEYF: the Image-Edit panel.
struct ImageEditWords {
    enum Slot {
        HistoryWord = 0, // also recorded by every panel undo step
        Reserved1 = 1,
        Reserved2 = 2,
        Reserved3 = 3,
    };
    std::array<int32_t, 4> words{};
    int32_t& operator[](int slot) { return words[size_t(slot)]; }
    int32_t operator[](int slot) const { return words[size_t(slot)]; }
    bool operator==(const ImageEditWords&) const = default;
};

// MARQ: the selection tool and the current Image-Edit tool.
struct SelectionToolWords {
    enum Slot { Reserved0 = 0, Reserved1 = 1, Reserved2 = 2, CurrentTool = 3 };
    std::array<int32_t, 4> words{};
    int32_t& operator[](int slot) { return words[size_t(slot)]; }
    int32_t operator[](int slot) const { return words[size_t(slot)]; }
    bool operator==(const SelectionToolWords&) const = default;
};

// TOOL: six tool words; loading copies the two paired words into their companions.
struct ToolWords {
    enum Slot {
        Reserved0 = 0,
        Reserved1 = 1,
        FirstPaired = 2,
        SecondPaired = 3,
        Reserved4 = 4,
        Reserved5 = 5,
    };
    std::array<int32_t, 6> words{};
    std::array<int32_t, 2> companions{}; // copies of the paired words (not stored)
    int32_t& operator[](int slot) { return words[size_t(slot)]; }
    int32_t operator[](int slot) const { return words[size_t(slot)]; }
    bool operator==(const ToolWords&) const = default;
};

// ALIG: the Image-Align panel (the seven words between A1 and A2 are not kept).
struct AlignWords {
    int32_t a1 = 0;
    int32_t a2 = 0;
    bool operator==(const AlignWords&) const = default;
};

inline constexpr int kProjectVersion = 1005;
inline constexpr int kMinMovieSide = 16;
inline constexpr int kMaxMovieSide = 4095;

class Project {
public:
    Project() = default;
    Project(const Project&) = delete;
    Project& operator=(const Project&) = delete;

    // A new empty project with the movie size and frame rate of the settings and the
    // timeline of a new project. Every new project (app, command line, demo) starts here.
    static Project fromSettings(const Settings& settings);
    Project(Project&&) = default;
    Project& operator=(Project&&) = default;

    ImageList images;
    // −1 when no image is selected (always in Movie mode).
    int currentImage = -1;

    int movieWidth = 640;
    int movieHeight = 480;
    int fps = 30;
    AnimationMode mode = AnimationMode::ImageEdit;
    CanvasColour canvasColour = CanvasColour::Grid;
    // Power-of-two exponent: 0 is 1:1, negative reduces.
    int32_t zoom = 0;

    MoviePanelWords movieWords;
    TimelineWords timelineWords;
    ImageEditWords imageEditWords;
    SelectionToolWords selectionWords;
    ToolWords toolWords;
    AlignWords alignWords;

    // The camera values of Movie mode, one record per movie frame: present when the
    // Movie panel took a snapshot (it takes one when Movie mode is left) or a loaded
    // file held one. Saved whenever present.
    std::optional<CameraValueBlock> cameraValues;

    // Where the project was last saved or loaded; empty for a new project.
    std::filesystem::path path;
    std::filesystem::path folder;
    std::string title;
    bool modified = false;

    History history;

    ProjectImage* current() { return images.at(currentImage); }
    const ProjectImage* current() const { return images.at(currentImage); }
    int imageCount() const { return images.count(); }

    // The context the history compares a new step with.
    History::Context historyContext(bool backgroundSelected = false) const {
        return {mode, currentImage, backgroundSelected};
    }
    // Records a step in the history and marks the project modified when it counts.
    History::Outcome record(HistoryStep step, bool backgroundSelected = false);

    // Remembers where the project lives (path, folder, title).
    void setLocation(const std::filesystem::path& file);
};

} // namespace zx
