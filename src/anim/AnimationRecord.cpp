#include "anim/AnimationRecord.h"

#include "anim/AnimationModel.h"
#include "platform/Prompter.h"
#include "storage/Binary.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <memory>
#include <string>

namespace zx {

// Layout decisions that the stored records depend on:
// - An object entry starts with its size word, then the seventeen leading words of
//   the object in storage order: library flag, 3D flag, the three cleared words,
//   kind flags, outline-vertex count, the word kept after it, vertexCount, texture
//   rectangle, second rectangle.
// - The size word counts the object part only (everything up to and including the
//   time-curve points); the points, triangles, edges, lists and bones of an ordinary
//   object follow it uncounted. The reader walks the entry field by field and uses
//   the size word only to recognise the end of the record (a size of 0).

namespace {

constexpr size_t kHeaderLast = kRecordHeaderWords - 1; // n of an empty record

// --- writing: one walk, used both to count and to write -------------------------

struct CountSink {
    size_t n = 0;
    void u32(uint32_t) { ++n; }
    void i32(int32_t) { ++n; }
    void f32(float) { ++n; }
    void f64(double) { n += 2; }
    void words(std::span<const uint32_t> w) { n += w.size(); }
};

struct WriteSink {
    WordWriter& out;
    void u32(uint32_t v) { out.u32(v); }
    void i32(int32_t v) { out.i32(v); }
    void f32(float v) { out.f32(v); }
    void f64(double v) { out.f64(v); }
    void words(std::span<const uint32_t> w) { out.words(w); }
};

template <class S> void putCount(S& s, size_t n) {
    s.u32(uint32_t(n));
}

// The single word 0 for an empty string, else w words holding the characters, a
// terminating zero byte and zero padding, after the word count w.
template <class S> void putString(S& s, const std::string& text) {
    if (text.empty()) {
        s.u32(0);
        return;
    }
    const size_t w = (text.size() + 1 + 3) / 4;
    std::vector<uint32_t> words(w, 0);
    std::memcpy(words.data(), text.data(), text.size());
    putCount(s, w);
    s.words(words);
}

template <class S> void putRunLength(S& s, const std::optional<RunLengthImage>& image) {
    if (!image || image->words.empty()) {
        s.u32(0);
        return;
    }
    putCount(s, image->words.size());
    s.words(image->words);
}

template <class S> void putRect(S& s, const IntRect& r) {
    s.i32(r.left);
    s.i32(r.top);
    s.i32(r.right);
    s.i32(r.bottom);
}

template <class S> void putVec(S& s, const Vec3& v) {
    s.f64(v.x);
    s.f64(v.y);
    s.f64(v.z);
}

template <class S> void putInts(S& s, const std::vector<int32_t>& v) {
    putCount(s, v.size());
    for (int32_t x : v) s.i32(x);
}

// Items 2 to 9 of an entry: what the size word counts.
template <class S> void putObjectPart(S& s, const AnimObject& o) {
    s.i32(o.libraryFlag);
    s.i32(o.flag3d);
    for (int32_t w : o.clearedWords) s.i32(w);
    s.i32(o.kindFlags);
    s.i32(o.outlineVertexCount);
    s.i32(o.outlineKept);
    s.i32(o.vertexCount);
    putRect(s, o.textureRect);
    putRect(s, o.secondRect);

    for (const ObjectEffect& e : o.effects) {
        s.f32(e.startValue);
        s.i32(e.curveKind);
        putCount(s, e.table.size());
        for (float v : e.table) s.f32(v);
        putCount(s, e.points.size());
        for (const EffectPoint& p : e.points) {
            s.i32(p.x);
            s.f32(p.y);
        }
    }

    const ObjectBinding& b = o.binding;
    for (int32_t w : {b.ownDot1, b.ownDot2, b.parentObject, b.parentDot1, b.parentDot2}) s.i32(w);
    for (int32_t w : {o.hidden, o.curveKind, o.reverse, o.invert}) s.i32(w);

    if (o.isLibrary()) {
        putString(s, o.name);
        s.f32(o.speed);
        s.i32(o.loop);
        s.i32(o.recordedFirstWord);
        s.f32(o.timeOffset);
    } else {
        s.i32(o.secondModeRegion);
        s.i32(o.settingWord);
        putRunLength(s, o.ownedMasks[0]);
        putRunLength(s, o.ownedMasks[1]);
        s.f32(o.jointInteraction);
        s.f32(o.skinFill);
    }
    s.f32(o.spin);
    putInts(s, o.curveTable);
    putCount(s, o.curvePoints.size());
    for (uint32_t p : o.curvePoints) s.u32(p);
}

// Item 10: the geometry of an ordinary object.
template <class S> void putGeometry(S& s, const AnimObject& o) {
    putCount(s, o.points.size());
    for (const AnimPoint& p : o.points) {
        s.i32(p.flags);
        s.i32(p.keptAfterFlags);
        s.i32(p.keptAfterTexture);
        s.i32(p.bone1);
        s.i32(p.bone2);
        s.i32(p.jointDot);
        s.i32(p.keptAfterWeight);
        s.f32(p.boneWeight);
        s.f32(p.interaction);
        s.f32(p.jointValue);
        putVec(s, p.texture);
        putVec(s, p.start);
        putVec(s, p.end);
        if (p.trajectory && !p.trajectory->empty()) {
            putCount(s, p.trajectory->size());
            for (const TrajectorySample& t : *p.trajectory) {
                s.f32(t.x);
                s.f32(t.y);
                s.f32(t.w);
            }
        } else {
            s.u32(0);
        }
    }
    putCount(s, o.triangles.size());
    for (const MeshTriangle& t : o.triangles) {
        s.i32(t.flags);
        for (int32_t v : t.v) s.i32(v);
    }
    putCount(s, o.edges.size());
    for (const auto& e : o.edges)
        for (int32_t w : e) s.i32(w);
    for (const auto& list : o.builderLists) putInts(s, list);
    putCount(s, o.bones.size());
    for (const Bone& b : o.bones) {
        s.i32(b.dotA);
        s.i32(b.dotB);
        s.i32(b.flags);
        s.f64(b.restLength);
        s.f64(b.restAngle);
        s.f64(b.keptC);
        s.f64(b.keptD);
        putInts(s, b.neighboursA);
        putInts(s, b.neighboursB);
        putCount(s, b.outlineRecords.size());
        for (const auto& r : b.outlineRecords)
            for (int32_t w : r) s.i32(w);
    }
}

template <class S> void putEntry(S& s, const AnimObject& o) {
    CountSink part;
    putObjectPart(part, o);
    putCount(s, part.n);
    putObjectPart(s, o);
    if (!o.isLibrary()) putGeometry(s, o);
}

// --- reading ---------------------------------------------------------------------

std::string getString(WordReader& r) {
    const uint32_t w = r.count(1);
    if (w == 0) return {};
    auto words = r.words(w);
    const char* chars = reinterpret_cast<const char*>(words.data());
    const size_t bytes = words.size() * 4;
    return std::string(chars, strnlen(chars, bytes));
}

std::optional<RunLengthImage> getRunLength(WordReader& r) {
    const uint32_t w = r.count(1);
    if (w == 0) return std::nullopt;
    auto words = r.words(w);
    return RunLengthImage{std::vector<uint32_t>(words.begin(), words.end())};
}

IntRect getRect(WordReader& r) {
    IntRect rect;
    rect.left = r.i32();
    rect.top = r.i32();
    rect.right = r.i32();
    rect.bottom = r.i32();
    return rect;
}

Vec3 getVec(WordReader& r) {
    Vec3 v;
    v.x = r.f64();
    v.y = r.f64();
    v.z = r.f64();
    return v;
}

std::vector<int32_t> getInts(WordReader& r) {
    const uint32_t n = r.count(1);
    std::vector<int32_t> v(n);
    for (auto& x : v) x = r.i32();
    return v;
}

bool getObjectPart(WordReader& r, AnimObject& o) {
    o.libraryFlag = r.i32();
    o.flag3d = r.i32();
    for (int32_t& w : o.clearedWords) w = r.i32();
    o.kindFlags = r.i32();
    o.outlineVertexCount = r.i32();
    o.outlineKept = r.i32();
    o.vertexCount = r.i32();
    o.textureRect = getRect(r);
    o.secondRect = getRect(r);

    for (ObjectEffect& e : o.effects) {
        e.startValue = r.f32();
        e.curveKind = r.i32();
        const uint32_t c = r.count(1);
        e.table.resize(c);
        for (float& v : e.table) v = r.f32();
        const uint32_t p = r.count(2);
        e.points.resize(p);
        for (EffectPoint& pt : e.points) {
            pt.x = r.i32();
            pt.y = r.f32();
        }
        if (!r.ok()) return false;
    }

    ObjectBinding& b = o.binding;
    for (int32_t* w : {&b.ownDot1, &b.ownDot2, &b.parentObject, &b.parentDot1, &b.parentDot2})
        *w = r.i32();
    for (int32_t* w : {&o.hidden, &o.curveKind, &o.reverse, &o.invert}) *w = r.i32();

    if (o.isLibrary()) {
        o.name = getString(r);
        o.speed = r.f32();
        o.loop = r.i32();
        o.recordedFirstWord = r.i32();
        o.timeOffset = r.f32();
    } else {
        o.secondModeRegion = r.i32();
        o.settingWord = r.i32();
        o.ownedMasks[0] = getRunLength(r);
        o.ownedMasks[1] = getRunLength(r);
        o.jointInteraction = r.f32();
        o.skinFill = r.f32();
    }
    o.spin = r.f32();
    o.curveTable = getInts(r);
    const uint32_t np = r.count(1);
    o.curvePoints.resize(np);
    for (uint32_t& p : o.curvePoints) p = r.u32();
    return r.ok();
}

// Words a point, a bone, ... take at least; the counts are checked against them
// before anything is allocated, so a lying count can never ask for more memory than
// the record could fill.
constexpr size_t kMinPointWords = 10 + 18 + 1;
constexpr size_t kMinBoneWords = 3 + 8 + 3;

bool getGeometry(WordReader& r, AnimObject& o) {
    const uint32_t np = r.count(kMinPointWords);
    o.points.resize(np);
    for (AnimPoint& p : o.points) {
        p.flags = r.i32();
        p.keptAfterFlags = r.i32();
        p.keptAfterTexture = r.i32();
        p.bone1 = r.i32();
        p.bone2 = r.i32();
        p.jointDot = r.i32();
        p.keptAfterWeight = r.i32();
        p.boneWeight = r.f32();
        p.interaction = r.f32();
        p.jointValue = r.f32();
        p.texture = getVec(r);
        p.start = getVec(r);
        p.current = p.start;
        p.end = getVec(r);
        const uint32_t s = r.count(3);
        if (s) {
            DotTrajectory t(s);
            for (TrajectorySample& x : t) {
                x.x = r.f32();
                x.y = r.f32();
                x.w = r.f32();
            }
            p.trajectory = std::move(t);
        }
        if (!r.ok()) return false;
    }
    const uint32_t nt = r.count(4);
    o.triangles.resize(nt);
    for (MeshTriangle& t : o.triangles) {
        t.flags = r.i32();
        for (int32_t& v : t.v) v = r.i32();
    }
    const uint32_t ne = r.count(4);
    o.edges.resize(ne);
    for (auto& e : o.edges)
        for (int32_t& w : e) w = r.i32();
    for (auto& list : o.builderLists) list = getInts(r);
    const uint32_t nb = r.count(kMinBoneWords);
    o.bones.resize(nb);
    for (Bone& b : o.bones) {
        b.dotA = r.i32();
        b.dotB = r.i32();
        b.flags = r.i32();
        b.restLength = r.f64();
        b.restAngle = r.f64();
        b.keptC = r.f64();
        b.keptD = r.f64();
        b.neighboursA = getInts(r);
        b.neighboursB = getInts(r);
        const uint32_t nr = r.count(6);
        b.outlineRecords.resize(nr);
        for (auto& rec : b.outlineRecords)
            for (int32_t& w : rec) w = r.i32();
        if (!r.ok()) return false;
    }
    return r.ok();
}

// The indexes the deformation and the renderer follow without checking must point
// inside the object; a record that breaks them is corrupted, not drawable.
bool geometryConsistent(const AnimObject& o) {
    const int np = int(o.points.size());
    const int nb = int(o.bones.size());
    if (o.vertexCount < 0 || o.vertexCount > np) return false;
    for (const MeshTriangle& t : o.triangles)
        for (int32_t v : t.v)
            if (v < 0 || v >= o.vertexCount) return false;
    for (const AnimPoint& p : o.points)
        if (p.bone1 < -1 || p.bone1 >= nb || p.bone2 < -1 || p.bone2 >= nb) return false;
    for (const Bone& b : o.bones)
        if (b.dotA < 0 || b.dotA >= np || b.dotB < 0 || b.dotB >= np) return false;
    return true;
}

} // namespace

size_t animationRecordLength(const AnimationModel& model) {
    CountSink c;
    for (int i = 0; i < model.objectCount; ++i) putEntry(c, model.object(i));
    return kHeaderLast + c.n;
}

std::vector<uint32_t> writeAnimationRecord(const AnimationModel& model) {
    const size_t n = animationRecordLength(model);
    WordWriter w;
    w.reserve(n + 2);
    w.u32(uint32_t(n));
    w.i32(model.objectCount);
    // Words 2–18 are the model's setting words and the zero words between them; all
    // are carried as the model holds them.
    for (size_t i = 2; i <= 19; ++i) w.i32(model.headerWords[i]);
    w.i32(model.sceneryWidth);
    w.i32(model.sceneryHeight);
    WriteSink sink{w};
    for (int i = 0; i < model.objectCount; ++i) putEntry(sink, model.object(i));
    return w.take();
}

bool readAnimationRecord(AnimationModel& model, std::span<const uint32_t> words,
                         const RecordReadOptions& options) {
    bool corrupted = false;
    auto complain = [&] {
        if (!corrupted && options.prompter) options.prompter->message(kRecordCorrupted);
        corrupted = true;
    };
    model.clearAll();
    if (words.size() < size_t(kRecordHeaderWords) || words[0] < kHeaderLast) {
        complain();
        return false;
    }
    // Everything past word n is not the record's (a closing 0 word, or garbage).
    const size_t n = words[0];
    if (n + 1 > words.size()) complain(); // ends early: read what is there
    WordReader r(words.first(std::min(words.size(), n + 1)));

    r.skip(1);
    const int32_t declared = r.i32();
    for (size_t i = 2; i <= 19; ++i) model.headerWords[i] = r.i32();
    if (!options.forRewrite)
        model.headerWords[19] = 4 * std::max(model.startWidth, model.startHeight);
    model.sceneryWidth = r.i32();
    model.sceneryHeight = r.i32();

    int read = 0;
    while (!r.atEnd()) {
        const uint32_t size = r.u32();
        if (size == 0) break;
        // An entry starting at the last word cannot hold anything; one more than
        // declared (or than the model can hold) means the record lies.
        if (r.position() - 1 >= n || read >= declared || read >= kMaxObjects) {
            complain();
            break;
        }
        model.clearSlot(read);
        AnimObject& o = model.object(read);
        bool ok = getObjectPart(r, o);
        if (ok && !o.isLibrary()) ok = getGeometry(r, o) && geometryConsistent(o);
        if (!ok) {
            model.freeSlot(read);
            complain();
            break;
        }
        model.objectCount = ++read;
        if (o.isLibrary()) {
            bool loaded = options.loadLibrary && options.loadLibrary(model, read - 1);
            // Without its library file the object has no mesh; its count must say so.
            if (!loaded && !options.forRewrite) {
                o.points.clear();
                o.triangles.clear();
                o.vertexCount = 0;
            }
        }
    }
    if (read != declared) complain();
    model.objectCount = read;
    return !corrupted;
}

std::string relocateLibraryName(std::string_view name, const std::filesystem::path& oldFolder,
                                const std::filesystem::path& newFolder) {
    namespace fs = std::filesystem;
    fs::path p{std::string(name)};
    if (name.empty() || p.is_absolute()) return std::string(name);
    const fs::path target = (oldFolder / p).lexically_normal();
    fs::path rel = target.lexically_relative(newFolder.lexically_normal());
    if (rel.empty()) return target.string();
    return rel.string();
}

std::optional<std::vector<uint32_t>>
rewriteRecordForFolder(std::span<const uint32_t> words, const std::filesystem::path& oldFolder,
                       const std::filesystem::path& newFolder) {
    auto model = std::make_unique<AnimationModel>();
    RecordReadOptions options;
    options.forRewrite = true;
    if (!readAnimationRecord(*model, words, options)) return std::nullopt;
    for (int i = 0; i < model->objectCount; ++i) {
        AnimObject& o = model->object(i);
        if (o.isLibrary()) o.name = relocateLibraryName(o.name, oldFolder, newFolder);
    }
    return writeAnimationRecord(*model);
}

} // namespace zx
