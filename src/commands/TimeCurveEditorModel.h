#pragma once
// What the "Time Curve Editor" dialog does, without the dialog: the point editing of
// the drawing area (in the area's own pixels, y growing downwards), "Linear", the
// pointer read-out, taking a curve from the "Curve Library" strip, and "Save..."
// with its "Curve Name", which adds the curve to the library and to the user curve
// file.

#include "anim/CurveEditor.h"
#include "anim/CurveLibrary.h"
#include "platform/Status.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace zx {

class Prompter;

inline constexpr std::string_view kTimeCurveEditorTitle = "Time Curve Editor";
inline constexpr std::string_view kCurveNameTitle = "Curve Name";
// A curve that does not run from x = 0 to x = 512 would end the reading of the user
// curve file where it stands, so it is not saved.
inline constexpr std::string_view kIncompleteCurveMessage =
    "The curve must start at the left edge and end at the right edge";

// A grid point from a position in the drawing area (0 … 512 across, 0 at the top),
// clamped to the grid.
struct GridPoint {
    int x = 0, y = 0;
};
GridPoint gridPointInArea(int areaX, int areaY);
// The pointer read-out: "x = " x ", y = " y.
std::string pointerText(GridPoint p);

class TimeCurveEditorModel {
public:
    TimeCurveEditorModel(CurveLibrary& library, TimeCurve curve, std::string name = {});

    const TimeCurve& curve() const { return editor_.curve; }
    const std::string& name() const { return name_; }
    int heldPoint() const { return editor_.held; }

    // Pointer events in drawing-area pixels.
    void press(int areaX, int areaY);
    void drag(int areaX, int areaY);
    void release() { editor_.release(); }
    bool doubleClick() { return editor_.doubleClick(); }

    bool linear() const { return editor_.curve.kind == 1; }
    void setLinear(bool on) { editor_.curve.kind = on ? 1 : 0; }

    // A click on library curve `index`: its name, kind and points come into the editor.
    void takeLibraryCurve(int index);
    // The library strip's scroll range: two curves a step.
    int libraryScrollMax() const { return std::max(0, (library_.count() - 1) / 2); }
    const CurveLibrary& library() const { return library_; }

    // The text the "Curve Name" dialog opens with.
    std::string proposedName() const;
    // Saves the curve under `name`: refused with "Please enter valid name" (the name
    // dialog stays open) or the incomplete-curve message; failed when the library is
    // full or the file could not be written (the prompter has said why).
    Status save(const std::string& name, const std::filesystem::path& userFile, Prompter& prompter);

private:
    CurveLibrary& library_;
    CurveEditor editor_;
    std::string name_;
};

} // namespace zx
