#pragma once
// The data files the programs need, generated from this source at build time:
// the five template files (the first 126 sectors of an empty disk of each kind), the
// template tone record "default.ston", and demo images for trying the tools out.

#include <cstdint>
#include <string_view>
#include <vector>

namespace veldin::data {

enum class TemplateKind { W30, S50, S330, S550, W30S };

struct TemplateInfo {
    TemplateKind kind;
    std::string_view fileName; // "W30.dat"
};
inline constexpr TemplateInfo kTemplates[] = {
    {TemplateKind::W30, "W30.dat"},   {TemplateKind::S50, "S50.dat"},   {TemplateKind::S330, "S330.dat"},
    {TemplateKind::S550, "S550.dat"}, {TemplateKind::W30S, "W30S.dat"},
};

// 64,512 bytes.
std::vector<std::uint8_t> BuildTemplate(TemplateKind kind);

// 134 bytes: "RTON", 0 segments, 1 tone, one record.
std::vector<std::uint8_t> BuildDefaultSton();

struct DemoImage {
    std::string_view fileName;
    std::vector<std::uint8_t> bytes; // 737,280
};
// One image per family: a template, zero parameter areas, a memo and a few tones
// with synthesized waves on the sound disks.
std::vector<DemoImage> BuildDemoImages();

} // namespace veldin::data
