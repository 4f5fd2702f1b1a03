#pragma once
// Every command of the menus, tool bars and accelerators in one table: its id, its
// menu text (a tab separates the accelerator text), its key, where it sits in the
// menus, the handler that runs it and the rule that enables it. A command without
// a handler is shown greyed; later work fills in handlers, nothing else.

#include "app/AppLayer.h"

#include <QKeySequence>
#include <QString>

#include <vector>

namespace zx {

class MainFrame;

struct CommandState {
    bool enabled = false;
    bool checked = false;
};

struct Cmd {
    enum : int {
        New = 57600,
        Open = 57601,
        Save = 57603,
        SaveAs = 57604,
        ImportImages = 32776,
        AddBlankImage = 32840,
        ExportImage = 32775,
        Export3D = 32928,
        PublishToWeb = 32947,
        ExportMovie = 32805,
        LoadObject = 32830,
        SaveAsObject = 32831,
        RecentProject = 57616,
        Exit = 57665,
        Undo = 57643,
        Redo = 57644,
        Cut = 57635,
        Copy = 57634,
        CopyFrame = 32900,
        Paste = 57637,
        PasteNewImage = 32896,
        CopySelection = 32890,
        PasteSelection = 32891,
        ViewToolbar = 59392,
        ViewStatusBar = 59393,
        ViewTimeline = 32811,
        ViewModeTools = 32813,
        ViewHistory = 32889,
        ZoomIn = 32777,
        ZoomOut = 32778,
        ZoomReset = 32779,
        CanvasGrid = 32789,
        CanvasBlack = 32790,
        CanvasBlue = 32791,
        CanvasGreen = 32792,
        CanvasWhite = 32793,
        ViewSubject = 32939,
        ViewBackground = 32940,
        ModeImageEdit = 32771,
        ModeImageAlign = 32772,
        ModeAnimate = 32794,
        ModeMovie = 32773,
        Mode3DCreator = 32836,
        SelectVisible = 32876,
        SelectAll = 32877,
        Deselect = 32882,
        SelectInverse = 32883,
        PreviousSelection = 32881,
        ShowInside = 32857,
        ShowOutside = 32858,
        RedMask = 32887,
        ShowAll = 32859,
        AutoLevels = 32860,
        AutoContrast = 32861,
        WhiteBalance = 32862,
        BrightnessContrast = 32863,
        ColorBalance = 32864,
        HueSaturation = 32865,
        BlurSharpen = 32878,
        ImageSize = 32893,
        CanvasSize = 32853,
        Rotate180 = 32866,
        Rotate90CW = 32867,
        Rotate90CCW = 32868,
        FlipHorizontal = 32869,
        FlipVertical = 32870,
        Crop = 32854,
        AddCopy = 32855,
        RemoveImage = 32856,
        BackgroundEdit = 32945,
        BackgroundErase = 32871,
        BackgroundExtend = 32872,
        ViewFull = 32814,
        ViewStartImage = 32815,
        ViewCurrentFrame = 32817,
        AnimProperties = 32818,
        AddContinuation = 32916,
        LockMouseSelect = 32823,
        HideObject = 32825,
        ResetToStartImage = 32827,
        ResetAnimation = 32926,
        SetFrameAsStart = 32838,
        ClearUserDots = 32828,
        RemoveObject = 32829,
        ShowAllObjects = 32826,
        FullImageRectangle = 32807,
        RegionsContours = 32809,
        RegionRectangles = 32808,
        ThreeDFromFront = 32927,
        ThreeDMeshFull = 32937,
        ClearAll = 32810,
        ConvertToMesh = 32908,
        SplitMesh = 32909,
        SettingsGeneral = 32804,
        SettingsAnimation = 32803,
        SettingsMovie = 32801,
        PublishVideo = 32953,
        Convert3ds = 32949,
        ConvertObj = 32954,
        Documentation = 32925,
        Samples = 32957,
        SystemInfo = 32941,
        CheckUpdates = 32959,
        About = 57664,
        EditLibrary = 32958,
        ThreeDPreview = 32960,
        ApplyFloating = 32796,
        CancelPaste = 32841,
        LightingEffects = 33010, // the adjustment panel's button only
    };
};

struct CommandEntry {
    int id = 0;
    QString text;     // as the menu shows it; tool-bar-only commands carry their tip
    QKeySequence key; // the main accelerator
    QString menu;     // "File", "Image/Selection" …; empty for tool-bar-only commands
    void (MainFrame::*handler)() = nullptr;
    CommandState (MainFrame::*update)() const = nullptr;
    bool separatorBefore = false;
    bool checkable = false;
};

const std::vector<CommandEntry>& commandTable();
const CommandEntry* findCommand(int id);

// The further keys of the accelerator table (Alt+C, Ctrl+Insert, Shift+Delete …).
struct ExtraKey {
    int id;
    QKeySequence key;
};
const std::vector<ExtraKey>& extraKeys();

// The menu bar's menus, in order.
const std::vector<QString>& menuOrder();

} // namespace zx
