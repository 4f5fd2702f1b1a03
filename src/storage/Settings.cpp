#include "storage/Settings.h"

#include "platform/SettingsStore.h"

#include <cstdlib>
#include <sched.h>

namespace zx {

namespace fs = std::filesystem;

namespace {

std::string envOr(const char* name) {
    const char* v = std::getenv(name);
    return v && *v ? std::string(v) : std::string();
}

std::string withTrailingSeparator(std::string dir) {
    if (!dir.empty() && dir.back() != '/') dir += '/';
    return dir;
}

std::string homeDir() {
    std::string home = envOr("HOME");
    return home.empty() ? std::string("/tmp") : home;
}

int readInt(const SettingsStore& store, std::string_view key, int fallback) {
    return store.readInt(key).value_or(fallback);
}

std::string readString(const SettingsStore& store, std::string_view key) {
    return store.readString(key).value_or(std::string());
}

int inRangeOr(int value, int low, int high, int fallback) {
    return value >= low && value <= high ? value : fallback;
}

} // namespace

int availableCores() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) != 0) return 1;
    int n = CPU_COUNT(&set);
    return n > 0 ? n : 1;
}

SettingsEnvironment systemSettingsEnvironment() {
    SettingsEnvironment env;
    std::string docs = envOr("XDG_DOCUMENTS_DIR");
    if (docs.empty()) docs = (fs::path(homeDir()) / "Documents").string();
    env.documentsDir = withTrailingSeparator(docs);
    std::string data = envOr("XDG_DATA_HOME");
    fs::path dataDir = data.empty() ? fs::path(homeDir()) / ".local" / "share" : fs::path(data);
    env.curveDir = withTrailingSeparator((dataDir / "Zelvotrix").string());
    env.cores = availableCores();
    return env;
}

fs::path defaultSettingsPath() {
    std::string config = envOr("XDG_CONFIG_HOME");
    fs::path dir = config.empty() ? fs::path(homeDir()) / ".config" : fs::path(config);
    return dir / "Brenlok" / "Zelvotrix.conf";
}

Settings readSettings(const SettingsStore& store) {
    return readSettings(store, systemSettingsEnvironment());
}

Settings readSettings(const SettingsStore& store, const SettingsEnvironment& env) {
    Settings s;
    s.firstRun = readInt(store, "firstrun", 1);
    s.windowMaximised = readInt(store, "winmaxi", 1);
    s.windowX = readInt(store, "winX", 0);
    s.windowY = readInt(store, "winY", 0);
    s.windowW = readInt(store, "winW", 0);
    s.windowH = readInt(store, "winH", 0);

    s.projectDir = readString(store, "ProjectDir");
    if (s.projectDir.empty()) s.projectDir = env.documentsDir;
    for (auto [key, field] :
         {std::pair{"LibDir", &s.libDir}, std::pair{"ImportDir", &s.importDir},
          std::pair{"Export3Ddir", &s.export3dDir}, std::pair{"ExportObjDir", &s.exportObjDir},
          std::pair{"VideoDir", &s.videoDir}}) {
        *field = readString(store, key);
        if (field->empty()) *field = s.projectDir;
    }
    s.curveDir = readString(store, "CurveDir");
    if (s.curveDir.empty()) s.curveDir = env.curveDir;

    s.noSamples = readInt(store, "nosamples", 0);
    s.pcSpeed = readInt(store, "PCSpeed", 0);
    s.videoX = inRangeOr(readInt(store, "videoX", 640), 1, 4095, 480);
    s.videoY = inRangeOr(readInt(store, "videoY", 480), 1, 4095, 360);
    s.fps = inRangeOr(readInt(store, "FPS", 30), 1, 100, 30);
    s.maxSize = readInt(store, "MaxSize", 1024);
    if (s.maxSize != -1 && (s.maxSize < 64 || s.maxSize > 4095)) s.maxSize = 1024;
    s.timeDefS = readInt(store, "TimeDefS", 3);
    s.timeDefF = readInt(store, "TimeDefF", 0);
    if (s.timeDefS == 0 && s.timeDefF == 0) {
        s.timeDefS = 3;
        s.timeDefF = 0;
    }
    s.jpegQuality = inRangeOr(readInt(store, "JPEGquality", 3), 0, 3, 3);
    s.videoRender = inRangeOr(readInt(store, "VideoRender", 1), 0, 3, 1);
    s.animRender = inRangeOr(readInt(store, "AnimRender", 1), 0, 1, 1);
    s.contourDef = inRangeOr(readInt(store, "ContourDef", 1), 0, 2, 1);
    s.boneDefaultFixed = readInt(store, "BoneDefaultFixed", 1);
    // Read for completeness, but every run starts with smooth action on; what the user
    // sets during the run is what gets written back.
    (void)readInt(store, "SmoothAction", 1);
    s.smoothAction = 1;
    s.cacheSpool = readInt(store, "CacheSpool", 1);
    s.historyShown = readInt(store, "histshow", 0);
    s.historyX = readInt(store, "histX", 0);
    s.historyY = readInt(store, "histY", 0);
    s.historyW = readInt(store, "histW", 0);
    s.historyH = readInt(store, "histH", 0);

    s.cores = env.cores > 0 ? env.cores : 1;
    return s;
}

bool writeSettings(const Settings& s, SettingsStore& store) {
    store.writeInt("firstrun", 0);
    store.writeString("ProjectDir", s.projectDir);
    store.writeString("LibDir", s.libDir);
    store.writeString("ImportDir", s.importDir);
    store.writeString("Export3Ddir", s.export3dDir);
    store.writeString("ExportObjDir", s.exportObjDir);
    store.writeString("VideoDir", s.videoDir);
    store.writeString("CurveDir", s.curveDir);
    store.writeInt("PCSpeed", s.pcSpeed);
    store.writeInt("nosamples", s.noSamples);
    store.writeInt("videoX", s.videoX);
    store.writeInt("videoY", s.videoY);
    store.writeInt("FPS", s.fps);
    store.writeInt("MaxSize", s.maxSize);
    store.writeInt("TimeDefS", s.timeDefS);
    store.writeInt("TimeDefF", s.timeDefF);
    store.writeInt("JPEGquality", s.jpegQuality);
    store.writeInt("VideoRender", s.videoRender);
    store.writeInt("AnimRender", s.animRender);
    store.writeInt("ContourDef", s.contourDef);
    store.writeInt("BoneDefaultFixed", s.boneDefaultFixed);
    store.writeInt("SmoothAction", s.smoothAction);
    store.writeInt("CacheSpool", s.cacheSpool);
    store.writeInt("winmaxi", s.windowMaximised);
    store.writeInt("winX", s.windowX);
    store.writeInt("winY", s.windowY);
    store.writeInt("winW", s.windowW);
    store.writeInt("winH", s.windowH);
    store.writeInt("histshow", s.historyShown);
    store.writeInt("histX", s.historyX);
    store.writeInt("histY", s.historyY);
    store.writeInt("histW", s.historyW);
    store.writeInt("histH", s.historyH);
    return store.flush();
}

} // namespace zx
