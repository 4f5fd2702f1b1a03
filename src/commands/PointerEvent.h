#pragma once
// What the views hand the mouse tools: pointer positions in image pixels of the view
// shown, the modifier keys held, and the keys the tools answer.

namespace zx {

struct Modifiers {
    bool shift = false;
    bool ctrl = false;
    bool alt = false;
};

struct PointerEvent {
    double x = 0, y = 0; // image pixels of the view shown
    Modifiers keys;
};

enum class EditorKey { Enter, Escape, Delete, Insert, Tab, L };

} // namespace zx
