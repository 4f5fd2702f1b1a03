#pragma once
// The animation record: the flat word array in which a project image keeps the
// animation of its objects between edits, and which the project file stores as is.
//
//   word 0        n, the number of words after word 0
//   words 1–21    object count, then the model's setting words and scenery size
//   entries       one per object, in slot order
//
// The stored form is words 0 … n. (The in-memory form of the original layout ends
// with one more 0 word, which the stored form leaves out; the reader accepts both.)

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zx {

class AnimationModel;
class Prompter;

inline constexpr std::string_view kRecordCorrupted = "Animation data corrupted";
inline constexpr int kRecordHeaderWords = 22;

// n of the record the model would write (21 for a model without objects).
size_t animationRecordLength(const AnimationModel& model);

// The stored form, words 0 … n.
std::vector<uint32_t> writeAnimationRecord(const AnimationModel& model);

struct RecordReadOptions {
    // Receives "Animation data corrupted". May be null (worker threads).
    Prompter* prompter = nullptr;
    // Gives a library object its points and triangles from its library file once its
    // entry is read (the slot already holds the entry's fields). Without it, or when
    // it fails, the object stays in the model without geometry.
    std::function<bool(AnimationModel& model, int slot)> loadLibrary;
    // For a model that is only going to be written again: keep the size word and the
    // vertex counts of library objects exactly as stored.
    bool forRewrite = false;
};

// Replaces the model's objects with the record's. False when the record was found
// corrupted ("Animation data corrupted" was shown); the objects read before the fault
// stay in the model.
bool readAnimationRecord(AnimationModel& model, std::span<const uint32_t> words,
                         const RecordReadOptions& options = {});

// The record with its library references moved from oldFolder to newFolder, for a
// project saved into another folder. Library names that are relative paths are taken
// relative to the project's folder, so each one is resolved against oldFolder and
// expressed again relative to newFolder; absolute names stay as they are. Everything
// else is carried unchanged. None when the record is corrupted (the caller then
// keeps the old words).
std::optional<std::vector<uint32_t>> rewriteRecordForFolder(std::span<const uint32_t> words,
                                                            const std::filesystem::path& oldFolder,
                                                            const std::filesystem::path& newFolder);

// A library name (relative to oldFolder, or absolute) made relative to newFolder when
// it was relative, else returned unchanged.
std::string relocateLibraryName(std::string_view name, const std::filesystem::path& oldFolder,
                                const std::filesystem::path& newFolder);

} // namespace zx
