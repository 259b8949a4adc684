#pragma once
// The patch tree as a data model that a view mirrors item by item: the root "Patches",
// one item per present patch labelled with its name, and under each patch one item per
// tone it plays, labelled with the tone's name. Items are named by ids that stay valid
// until the item is removed or the tree is rebuilt.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "patch/PatchAreas.h"

namespace veldin::patch {

enum class IconKind { Root, Patch, Tone };

using ItemId = int;
inline constexpr ItemId kNoItem = -1;

struct TreeItem {
    ItemId id = kNoItem;
    ItemId parent = kNoItem;
    std::string label;
    PatchRef value;
    IconKind icon = IconKind::Patch;
    bool expanded = false;
    std::vector<ItemId> children;
};

// The patch info panel, one text per line in panel order.
enum PanelLine { kLineNumber, kLineKeyMode, kLineKeyAssign, kLineBenderRange, kLineOut, kLineUniDetune,
                 kLineVswThreshold, kLineVmixRatio, kLineAtAssign, kLineAtSense, kLineVolume, kPanelLines };
using PanelTexts = std::array<std::string, kPanelLines>;

PanelTexts PanelFor(int position, const PatchRecord& r);
PanelTexts EmptyPanel();
// "Patch positions free: %d".
std::string StatusText(int freePositions);

class PatchTree {
public:
    // Clears and fills the tree from the areas; patch items are collapsed.
    void build(const PatchAreas& areas);

    // Adds the item of the patch at `position` under the root, after the items of lower
    // positions; it carries no tone items until the next full build.
    ItemId insertPatch(const PatchAreas& areas, int position);
    void remove(ItemId id);
    void setLabel(ItemId id, std::string label);

    const TreeItem* item(ItemId id) const;
    ItemId root() const { return root_; }
    ItemId findPatch(int position) const;
    // Children before following siblings, as the view walks.
    std::vector<ItemId> walk() const;

private:
    ItemId add(ItemId parent, std::string label, PatchRef value, IconKind icon, std::optional<std::size_t> at = {});
    void walkFrom(ItemId id, std::vector<ItemId>& out) const;

    std::vector<std::optional<TreeItem>> items_;
    ItemId root_ = kNoItem;
};

} // namespace veldin::patch
