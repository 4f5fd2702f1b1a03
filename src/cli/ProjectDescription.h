#pragma once
// What `info` prints: a project or a library file as JSON (the contract scripts
// rely on) or as text for people.

#include <nlohmann/json.hpp>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

namespace zx {
class Project;
class Prompter;
} // namespace zx

namespace zx::cli {

// {"kind":"project","version":1005,"movie":{...},"mode":..,"current_image":..,
//  "canvas_colour":..,"camera_frames":..,"images":[{...,"layers":[...],
//  "animation":{"words":n,"objects":[...]} or null}]}
nlohmann::ordered_json describeProject(const Project& project);

// {"words":n,"objects":[{"slot":..,"type":..,"library":..,"vertices":..,
//  "user_dots":..,"triangles":..,"bones":..,"hidden":..,"bbox":[l,t,r,b],"z":[min,max]}]}
// for a stored record (bbox: the object's rectangle, right and bottom exclusive; z:
// the depth range of its mesh vertices).
// Library objects take their mesh from their files, found relative to the
// project's folder; one that cannot be found is listed without it. A record found
// corrupted lists the objects read before the fault and adds "corrupted":true.
nlohmann::ordered_json describeAnimation(std::span<const uint32_t> record,
                                         const std::filesystem::path& projectFolder = {});

// {"kind":"library","version":1000,"width":..,"height":..,"last_frame":..,
//  "textures":..,"vertices":..,"triangles":..}; none after the reader's message.
std::optional<nlohmann::ordered_json> describeLibrary(const std::filesystem::path& file,
                                                      Prompter& prompter);
std::string libraryText(const nlohmann::ordered_json& description);

// The JSON of a project as lines of text.
std::string projectText(const nlohmann::ordered_json& description);

} // namespace zx::cli
