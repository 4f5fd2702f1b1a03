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

// The Movie panel words of the header, in file order.
struct MoviePanelWords {
    enum Slot {
        M1 = 0,
        BackgroundSlider = 1, // 0 = no move
        M2 = 2,
        M3 = 3,
        M4 = 4,
        M5 = 5,
        SliderB = 6,
        SliderC = 7,
        FollowCamera = 8,
        M6 = 9,
        M7 = 10,
        M8 = 11,
    };
    std::array<int32_t, 12> words{};
    int32_t& operator[](int slot) { return words[size_t(slot)]; }
    int32_t operator[](int slot) const { return words[size_t(slot)]; }
    bool operator==(const MoviePanelWords&) const = default;
};

// TIML: the timeline panel.
struct TimelineWords {
    enum Slot { T1 = 0, StripScale = 1, ShowSubject = 2, ShowBackground = 3, T5 = 4, T6 = 5 };
    std::array<int32_t, 6> words{};
    int32_t& operator[](int slot) { return words[size_t(slot)]; }
    int32_t operator[](int slot) const { return words[size_t(slot)]; }
    bool operator==(const TimelineWords&) const = default;
};

// KEYF: the Image-Edit panel; K1 is also recorded by every panel undo step.
struct ImageEditWords {
    enum Slot { K1 = 0, K2 = 1, K3 = 2, K4 = 3 };
    std::array<int32_t, 4> words{};
    int32_t& operator[](int slot) { return words[size_t(slot)]; }
    int32_t operator[](int slot) const { return words[size_t(slot)]; }
    bool operator==(const ImageEditWords&) const = default;
};

// MARQ: the selection tool and the current Image-Edit tool.
struct SelectionToolWords {
    enum Slot { S1 = 0, S2 = 1, S3 = 2, CurrentTool = 3 };
    std::array<int32_t, 4> words{};
    int32_t& operator[](int slot) { return words[size_t(slot)]; }
    int32_t operator[](int slot) const { return words[size_t(slot)]; }
    bool operator==(const SelectionToolWords&) const = default;
};

// TOOL: six tool words; loading copies P3 and P4 into their companions as well.
struct ToolWords {
    enum Slot { P1 = 0, P2 = 1, P3 = 2, P4 = 3, P5 = 4, P6 = 5 };
    std::array<int32_t, 6> words{};
    std::array<int32_t, 2> companions{}; // the companions of P3 and P4 (not stored)
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

    // A new empty project with the movie size and frame rate of the settings.
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
