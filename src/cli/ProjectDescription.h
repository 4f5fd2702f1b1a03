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
}

namespace zx::cli {

// {"kind":"project","version":1005,"movie":{...},"mode":..,"current_image":..,
//  "canvas_colour":..,"camera_frames":..,"images":[{...,"layers":[...],
//  "animation":{"words":n,"objects":[...]} or null}]}
nlohmann::ordered_json describeProject(const Project& project);

// {"words":n,"objects":[{"slot":..,"type":..,"library":..,"vertices":..,
//  "user_dots":..,"triangles":..,"bones":..,"hidden":..}]} for a stored record.
nlohmann::ordered_json describeAnimation(std::span<const uint32_t> record);

// The JSON of a project as lines of text.
std::string projectText(const nlohmann::ordered_json& description);

} // namespace zx::cli
