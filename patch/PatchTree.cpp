#include "patch/PatchTree.h"

#include <algorithm>
#include <cstdio>

#include "core/Names.h"
#include "patch/PatchTexts.h"

namespace veldin::patch {

PanelTexts PanelFor(int position, const PatchRecord& r) {
    const auto n = [](std::string_view label, int v) { return std::string(label) + std::to_string(v); };
    PanelTexts p;
    p[kLineNumber] = n(text::kPatchNumber, position + 1);
    p[kLineKeyMode] = std::string(text::kKeyMode) + std::string(KeyModeName(r.keyMode()));
    p[kLineKeyAssign] = std::string(text::kKeyAssign) + std::string(KeyAssignName(r.keyAssign()));
    p[kLineBenderRange] = n(text::kBenderRange, r.benderRange());
    p[kLineOut] = n(text::kOut, r.patchOutput());
    p[kLineUniDetune] = n(text::kUniDetune, r.uniDetune());
    p[kLineVswThreshold] = n(text::kVswThreshold, r.vswThreshold());
    p[kLineVmixRatio] = n(text::kVmixRatio, r.vmixRatio());
    p[kLineAtAssign] = n(text::kAtAssign, r.atAssign());
    p[kLineAtSense] = n(text::kAtSense, r.atSense());
    p[kLineVolume] = n(text::kVolume, r.patchLevel());
    return p;
}

PanelTexts EmptyPanel() { return PanelTexts{}; }

std::string StatusText(int freePositions) {
    char buf[64];
    std::snprintf(buf, sizeof buf, text::kFreePositionsFormat, freePositions);
    return buf;
}

void PatchTree::build(const PatchAreas& areas) {
    items_.clear();
    root_ = add(kNoItem, std::string(text::kRootLabel), kRootRef, IconKind::Root);
    items_[static_cast<std::size_t>(root_)]->expanded = true;
    const PatchArea* area = areas.patches();
    for (int k = 0; area && k < area->count; ++k) {
        const PatchRecord r = area->record(k);
        if (!r.isPresent()) continue;
        const ItemId patch = add(root_, r.displayName(), PatchRef::Patch(k), IconKind::Patch);
        for (std::uint8_t t : r.tones()) add(patch, areas.toneName(t), PatchRef::Tone(t), IconKind::Tone);
    }
}

ItemId PatchTree::insertPatch(const PatchAreas& areas, int position) {
    const PatchArea* area = areas.patches();
    if (root_ == kNoItem || !area || position < 0 || position >= area->count) return kNoItem;
    const PatchRecord r = area->record(position);
    if (!r.isPresent() || findPatch(position) != kNoItem) return kNoItem;
    const auto& siblings = items_[static_cast<std::size_t>(root_)]->children;
    const auto at = std::find_if(siblings.begin(), siblings.end(),
                                 [&](ItemId c) { return item(c)->value.position() > position; });
    return add(root_, r.displayName(), PatchRef::Patch(position), IconKind::Patch,
               static_cast<std::size_t>(at - siblings.begin()));
}

void PatchTree::remove(ItemId id) {
    const TreeItem* it = item(id);
    if (!it) return;
    for (ItemId c : std::vector<ItemId>(it->children)) remove(c);
    if (TreeItem* parent = it->parent == kNoItem ? nullptr : &*items_[static_cast<std::size_t>(it->parent)]) {
        auto& ch = parent->children;
        ch.erase(std::remove(ch.begin(), ch.end(), id), ch.end());
    }
    if (id == root_) root_ = kNoItem;
    items_[static_cast<std::size_t>(id)].reset();
}

void PatchTree::setLabel(ItemId id, std::string label) {
    if (item(id)) items_[static_cast<std::size_t>(id)]->label = std::move(label);
}

const TreeItem* PatchTree::item(ItemId id) const {
    if (id < 0 || static_cast<std::size_t>(id) >= items_.size() || !items_[static_cast<std::size_t>(id)]) return nullptr;
    return &*items_[static_cast<std::size_t>(id)];
}

ItemId PatchTree::findPatch(int position) const {
    const TreeItem* root = item(root_);
    if (!root) return kNoItem;
    for (ItemId c : root->children)
        if (item(c)->value == PatchRef::Patch(position)) return c;
    return kNoItem;
}

std::vector<ItemId> PatchTree::walk() const {
    std::vector<ItemId> out;
    if (root_ != kNoItem) walkFrom(root_, out);
    return out;
}

void PatchTree::walkFrom(ItemId id, std::vector<ItemId>& out) const {
    out.push_back(id);
    for (ItemId c : item(id)->children) walkFrom(c, out);
}

ItemId PatchTree::add(ItemId parent, std::string label, PatchRef value, IconKind icon, std::optional<std::size_t> at) {
    const auto id = static_cast<ItemId>(items_.size());
    items_.push_back(TreeItem{id, parent, std::move(label), value, icon, false, {}});
    if (parent != kNoItem) {
        auto& ch = items_[static_cast<std::size_t>(parent)]->children;
        ch.insert(at ? ch.begin() + static_cast<std::ptrdiff_t>(*at) : ch.end(), id);
    }
    return id;
}

} // namespace veldin::patch
