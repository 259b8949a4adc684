#pragma once
// The tone tree as a data model that a view mirrors item by item: groups "ROM" and
// "RAM" with banks "A" and "B", originals of the tone area with their subtones as
// children, and the tones of the second tone area listed flat. Items are named by ids
// that stay valid until the item is removed or the tree is rebuilt.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tone/ToneAreas.h"

namespace veldin::tone {

enum class IconKind { RomGroup, RamGroup, Original, Subtone };

// The six groups whose expansion survives a rebuild.
enum class Group { Rom, Ram, RomA, RomB, RamA, RamB };

using ItemId = int;
inline constexpr ItemId kNoItem = -1;

struct TreeItem {
    ItemId id = kNoItem;
    ItemId parent = kNoItem;
    std::string label;
    ToneRef value;           // kNoTone for groups
    IconKind icon = IconKind::Original;
    std::optional<Group> group;
    bool expanded = false;
    std::vector<ItemId> children;
};

// The tone info panel: one text per line, in panel order.
enum PanelLine { kLineNumber, kLineSubtone, kLineLength, kLineKey, kLineOut, kLineFrequency,
                 kLineStart, kLineLoop, kLineEnd, kLineLoopmode, kLineVolume, kLinePosition, kPanelLines };
using PanelTexts = std::array<std::string, kPanelLines>;

PanelTexts PanelFor(ToneRef ref, const ToneRecord& r);
PanelTexts EmptyPanel();

class ToneTree {
public:
    // Clears and fills the tree from the areas; the groups expanded before stay
    // expanded, the others are collapsed; the last item added is selected.
    void build(const ToneAreas& areas);

    // Adds the item of the tone `ref` where it belongs (an original of the tone area with
    // its subtones); `parentValue` names the original of a tone-area subtone. Returns the
    // new item, or kNoItem when the record is not shown.
    ItemId insertTone(const ToneAreas& areas, ToneRef ref, ToneRef parentValue);
    void remove(ItemId id);
    void setLabel(ItemId id, std::string label);

    const TreeItem* item(ItemId id) const;
    TreeItem* item(ItemId id);
    const std::vector<ItemId>& roots() const { return roots_; }
    // Children before following siblings, as the view walks.
    ItemId findValue(ToneRef value) const;
    ItemId findGroup(Group g) const;
    std::vector<ItemId> walk() const;

    void setExpanded(ItemId id, bool on);
    // The six groups' expansion as bits (bit i for the i-th of ROM, RAM, ROM A, ROM B,
    // RAM A, RAM B), as the module carries it to its next window and into its settings.
    // A group this tree lacks keeps the bit it was preset with.
    std::uint32_t expansionMask() const;
    // The groups named by `mask` are expanded, the others collapsed; groups this tree
    // lacks get theirs from it when a build adds them.
    void presetExpansion(std::uint32_t mask);
    ItemId selected() const { return selected_; }
    void setSelected(ItemId id) { selected_ = id; }

private:
    ItemId add(ItemId parent, std::string label, ToneRef value, IconKind icon, std::optional<Group> group);
    void addSubtones(const AreaCopy& ram, ItemId original, const ToneRecord& r);
    void walkFrom(ItemId id, std::vector<ItemId>& out) const;

    std::vector<std::optional<TreeItem>> items_;
    std::vector<ItemId> roots_;
    ItemId selected_ = kNoItem;
    std::uint32_t preset_ = 0;
};

// What the Tone Editor keeps about the selection: the selected tone (kNoTone for a
// group or nothing), the selected bank (-1 unknown) and the memory figures of that bank.
struct ToneSelection {
    ToneRef ref;
    ItemId parent = kNoItem;
    int bank = -1;
    BankMemory memory;
    PanelTexts panel = EmptyPanel();
};

// Selecting an item: a tone fills the panel and selects its bank; a bank group clears
// the panel and selects its bank; a root group clears the panel and leaves the bank
// and memory figures unchanged.
void SelectItem(const ToneTree& tree, const ToneAreas& areas, ItemId id, ToneSelection& sel);

} // namespace veldin::tone
