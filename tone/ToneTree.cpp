#include "tone/ToneTree.h"

#include <cstdio>

#include "core/Names.h"
#include "tone/ToneTexts.h"

namespace veldin::tone {
namespace {

constexpr Group kAllGroups[] = {Group::Rom, Group::Ram, Group::RomA, Group::RomB, Group::RamA, Group::RamB};

std::string Format(const char* format, int a, int b = 0) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, a, b);
    return buf;
}

// The group a tone item hangs under, from its area and bank; none when the bank does
// not belong to the area.
std::optional<Group> BankGroup(Area area, int waveBank) {
    if (area == Area::Rom) {
        if (waveBank == 2) return Group::RomA;
        if (waveBank == 3) return Group::RomB;
    } else {
        if (waveBank == 0) return Group::RamA;
        if (waveBank == 1) return Group::RamB;
    }
    return std::nullopt;
}

} // namespace

PanelTexts EmptyPanel() {
    PanelTexts p;
    p.fill(std::string(text::kEmptyLine));
    return p;
}

PanelTexts PanelFor(ToneRef ref, const ToneRecord& r) {
    const bool rom = ref.area() == Area::Rom;
    PanelTexts p;
    p[kLineNumber] = std::string(text::kToneNumber) + std::to_string(ref.number());
    if (rom) p[kLineSubtone] = std::string(text::kSubtoneOf) + "0";
    else if (r.isSubtone() != 0) p[kLineSubtone] = std::string(text::kSubtoneOf) + std::to_string(r.sourceTone());
    else p[kLineSubtone] = std::string(text::kOriginal);
    const int tenths = rom ? 72 : r.segmentCount() * 4;
    p[kLineLength] = Format(text::kLengthFormat, tenths / 10, tenths % 10);
    p[kLineKey] = std::string(text::kKey) + NoteName(r.origKey());
    p[kLineOut] = std::string(text::kOut) + std::to_string(r.output());
    p[kLineFrequency] = Format(text::kFrequencyFormat, rom ? 30000 : r.rate());
    p[kLineStart] = std::string(text::kStart) + std::to_string(r.startPoint());
    p[kLineLoop] = std::string(text::kLoop) + std::to_string(r.loopPoint());
    p[kLineEnd] = std::string(text::kEnd) + std::to_string(r.endPoint());
    p[kLineLoopmode] = std::string(text::kLoopmode) + std::string(LoopModeName(r.loopMode()));
    p[kLineVolume] = std::string(text::kVolume) + std::to_string(r.volume());
    p[kLinePosition] = std::string(text::kPosition) + std::to_string(ref.position());
    return p;
}

ItemId ToneTree::add(ItemId parent, std::string label, ToneRef value, IconKind icon, std::optional<Group> group) {
    const ItemId id = static_cast<ItemId>(items_.size());
    items_.push_back(TreeItem{id, parent, std::move(label), value, icon, group, false, {}});
    if (parent == kNoItem) roots_.push_back(id);
    else item(parent)->children.push_back(id);
    selected_ = id;
    return id;
}

const TreeItem* ToneTree::item(ItemId id) const {
    if (id < 0 || id >= static_cast<ItemId>(items_.size()) || !items_[static_cast<std::size_t>(id)]) return nullptr;
    return &*items_[static_cast<std::size_t>(id)];
}
TreeItem* ToneTree::item(ItemId id) {
    return const_cast<TreeItem*>(static_cast<const ToneTree*>(this)->item(id));
}

void ToneTree::build(const ToneAreas& areas) {
    std::vector<Group> expanded;
    const bool first = roots_.empty();
    for (std::size_t i = 0; i < std::size(kAllGroups); ++i) {
        const TreeItem* it = item(findGroup(kAllGroups[i]));
        if (first ? (preset_ >> i & 1u) != 0 : it && it->expanded) expanded.push_back(kAllGroups[i]);
    }
    if (!first) preset_ = expansionMask();
    items_.clear();
    roots_.clear();
    selected_ = kNoItem;

    if (const AreaCopy* rom = areas.rom()) {
        const ItemId root = add(kNoItem, std::string(text::kGroupRom), kNoTone, IconKind::RomGroup, Group::Rom);
        add(root, std::string(text::kGroupA), kNoTone, IconKind::RomGroup, Group::RomA);
        add(root, std::string(text::kGroupB), kNoTone, IconKind::RomGroup, Group::RomB);
        for (int k = 0; k < rom->count; ++k) {
            const ToneRecord r = rom->record(k);
            if (r.isUsed()) insertTone(areas, ToneRef::Make(r.sourceTone(), Area::Rom, k), kNoTone);
        }
    }
    if (const AreaCopy* ram = areas.ram()) {
        const ItemId root = add(kNoItem, std::string(text::kGroupRam), kNoTone, IconKind::RamGroup, Group::Ram);
        add(root, std::string(text::kGroupA), kNoTone, IconKind::RamGroup, Group::RamA);
        add(root, std::string(text::kGroupB), kNoTone, IconKind::RamGroup, Group::RamB);
        for (int k = 0; k < ram->count; ++k) {
            const ToneRecord r = ram->record(k);
            if (r.isUsed() && r.isSubtone() == 0) insertTone(areas, ToneRef::Make(r.sourceTone(), Area::Ram, k), kNoTone);
        }
    }
    const ItemId last = selected_;
    for (const auto& it : items_)
        if (it) item(it->id)->expanded = false;
    for (Group g : expanded) setExpanded(findGroup(g), true);
    selected_ = last;
}

void ToneTree::presetExpansion(std::uint32_t mask) {
    preset_ = mask;
    for (std::size_t i = 0; i < std::size(kAllGroups); ++i)
        if (ItemId g = findGroup(kAllGroups[i]); g != kNoItem) setExpanded(g, (mask >> i & 1u) != 0);
}

std::uint32_t ToneTree::expansionMask() const {
    std::uint32_t mask = 0;
    for (std::size_t i = 0; i < std::size(kAllGroups); ++i) {
        const TreeItem* it = item(findGroup(kAllGroups[i]));
        const bool on = it ? it->expanded : (preset_ >> i & 1u) != 0;
        if (on) mask |= 1u << i;
    }
    return mask;
}

void ToneTree::addSubtones(const AreaCopy& ram, ItemId original, const ToneRecord& r) {
    for (int j = 0; j < ram.count; ++j) {
        const ToneRecord s = ram.record(j);
        if (s.isUsed() && s.isSubtone() != 0 && s.sourceTone() == r.sourceTone())
            add(original, s.displayName(), ToneRef::Make(r.sourceTone(), Area::Ram, j), IconKind::Subtone, std::nullopt);
    }
}

ItemId ToneTree::insertTone(const ToneAreas& areas, ToneRef ref, ToneRef parentValue) {
    const auto r = areas.find(ref);
    if (!r || !r->isUsed()) return kNoItem;
    if (ref.area() == Area::Ram && r->isSubtone() != 0) {
        const ItemId parent = findValue(parentValue);
        if (parent == kNoItem) return kNoItem;
        return add(parent, r->displayName(), ref, IconKind::Subtone, std::nullopt);
    }
    const auto group = BankGroup(ref.area(), r->waveBank());
    if (!group) return kNoItem;
    const ItemId parent = findGroup(*group);
    if (parent == kNoItem) return kNoItem;
    if (ref.area() == Area::Rom) return add(parent, r->displayName(), ref, IconKind::Subtone, std::nullopt);
    const ItemId id = add(parent, r->displayName(), ref, IconKind::Original, std::nullopt);
    addSubtones(*areas.ram(), id, *r);
    return id;
}

void ToneTree::remove(ItemId id) {
    TreeItem* it = item(id);
    if (!it) return;
    for (ItemId c : std::vector<ItemId>(it->children)) remove(c);
    auto& siblings = it->parent == kNoItem ? roots_ : item(it->parent)->children;
    std::erase(siblings, id);
    if (selected_ == id) selected_ = it->parent;
    items_[static_cast<std::size_t>(id)].reset();
}

void ToneTree::setLabel(ItemId id, std::string label) {
    if (TreeItem* it = item(id)) it->label = std::move(label);
}

void ToneTree::setExpanded(ItemId id, bool on) {
    if (TreeItem* it = item(id)) it->expanded = on;
}

void ToneTree::walkFrom(ItemId id, std::vector<ItemId>& out) const {
    out.push_back(id);
    for (ItemId c : item(id)->children) walkFrom(c, out);
}

std::vector<ItemId> ToneTree::walk() const {
    std::vector<ItemId> out;
    for (ItemId r : roots_) walkFrom(r, out);
    return out;
}

ItemId ToneTree::findValue(ToneRef value) const {
    if (!value.isTone()) return kNoItem;
    for (ItemId id : walk())
        if (item(id)->value == value) return id;
    return kNoItem;
}

ItemId ToneTree::findGroup(Group g) const {
    for (const auto& it : items_)
        if (it && it->group == g) return it->id;
    return kNoItem;
}

void SelectItem(const ToneTree& tree, const ToneAreas& areas, ItemId id, ToneSelection& sel) {
    const TreeItem* it = tree.item(id);
    if (!it) return;
    sel.parent = it->parent;
    if (it->value.isTone()) {
        const auto r = areas.find(it->value);
        if (!r) return;
        sel.ref = it->value;
        sel.panel = PanelFor(it->value, *r);
        sel.bank = r->waveBank();
        sel.memory = ComputeBankMemory(areas, sel.bank);
        return;
    }
    sel.ref = kNoTone;
    sel.panel = EmptyPanel();
    if (it->parent == kNoItem) {
        sel.bank = -1;
        return;
    }
    const TreeItem* parent = tree.item(it->parent);
    sel.bank = (it->label == text::kGroupB ? 1 : 0) + (parent && parent->label == text::kGroupRom ? 2 : 0);
    sel.memory = ComputeBankMemory(areas, sel.bank);
}

} // namespace veldin::tone
