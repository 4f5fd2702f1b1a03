#pragma once
// The user's preferences: read once at start-up with their defaults and valid
// ranges, kept for the run, written back when the program ends. The store is the
// app's QSettings or, for the command-line tool and the tests, an INI file or memory.

#include <filesystem>
#include <string>

namespace zx {

class SettingsStore;

struct Settings {
    int firstRun = 1;
    int windowMaximised = 1;
    int windowX = 0, windowY = 0, windowW = 0, windowH = 0;

    std::string projectDir; // the user's documents folder, with a trailing separator
    std::string libDir;     // the other folders default to the project folder
    std::string importDir;
    std::string export3dDir;
    std::string exportObjDir;
    std::string videoDir;
    std::string curveDir; // folder of the user time-curve file

    int noSamples = 0;
    int pcSpeed = 0;
    int videoX = 640;   // movie width 1 … 4095
    int videoY = 480;   // movie height 1 … 4095
    int fps = 30;       // 1 … 100
    int maxSize = 1024; // −1 (no limit) or 64 … 4095
    int timeDefS = 3;   // default image duration: seconds
    int timeDefF = 0;   // … and frames
    int jpegQuality = 3;
    int videoRender = 1;
    int animRender = 1;
    int contourDef = 1;
    int boneDefaultFixed = 1;
    int smoothAction = 1;
    int cacheSpool = 1;
    int historyShown = 0;
    int historyX = 0, historyY = 0, historyW = 0, historyH = 0;

    // Not stored: the processor cores this process may run on (at least 1).
    int cores = 1;

    // The default duration of an imported image in frames at `frameRate`.
    int defaultDurationFrames(int frameRate) const { return timeDefS * frameRate + timeDefF; }
    int defaultDurationFrames() const { return defaultDurationFrames(fps); }
};

// What the defaults depend on outside the store.
struct SettingsEnvironment {
    std::string documentsDir; // with a trailing separator
    std::string curveDir;
    int cores = 1;
};

// The documents folder ($XDG_DOCUMENTS_DIR, else ~/Documents), the time-curve folder
// ($XDG_DATA_HOME/Zelvotrix, else ~/.local/share/Zelvotrix) and the cores of the
// process affinity mask.
SettingsEnvironment systemSettingsEnvironment();
// Processors in this process's affinity mask, at least 1.
int availableCores();

// Every key with its default, then the ranges in table order; out-of-range values
// are replaced silently. The smooth-action option always starts switched on.
Settings readSettings(const SettingsStore& store, const SettingsEnvironment& env);
Settings readSettings(const SettingsStore& store);
// Writes every key back; firstrun is written as 0 (the program has now run once).
// False when the store could not be flushed.
bool writeSettings(const Settings& settings, SettingsStore& store);

// Where the command-line tool keeps the settings: the same file the app's QSettings
// uses for organisation "Brenlok", application "Zelvotrix":
// $XDG_CONFIG_HOME/Brenlok/Zelvotrix.conf (~/.config when unset).
std::filesystem::path defaultSettingsPath();

} // namespace zx
