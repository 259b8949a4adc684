// The main dialog's drive choice: which entry is selected and whether Apply and Export
// are enabled; reads that stop once cancelled.
#include <gtest/gtest.h>

#include <span>

#include "cd/DiscEditorState.h"
#include "cd/SyntheticDisc.h"
#include "cd/SoundAreaExport.h"
#include "tests/support/TestSupport.h"

using namespace veldin;
using namespace veldin::cd;

namespace {

DiscEditorSettings Chosen(std::string_view name) {
    DiscEditorSettings s;
    ResetDriveChoice(s);
    if (!name.empty()) ApplyDrive(s, name);
    return s;
}

TEST(DiscEditorState, PlacesTheDriveList) {
    struct Case {
        const char* what;
        std::vector<std::string> drives;
        std::string applied; // "" = never applied
        DriveListState expect;
    };
    const Case cases[] = {
        {"no drives, none chosen", {}, "", {-1, true, false}},
        {"none chosen: first drive, Apply", {"/dev/sr0", "/dev/sr1"}, "", {0, true, false}},
        {"chosen drive present", {"/dev/sr0", "/dev/sr1"}, "/dev/sr1", {1, false, true}},
        {"chosen drive gone: Apply again", {"/dev/sr0"}, "/dev/sr1", {0, true, false}},
        {"chosen drive, empty list", {}, "/dev/sr0", {-1, true, false}},
    };
    for (const auto& c : cases) {
        const DriveListState st = PlaceDrives(c.drives, Chosen(c.applied));
        EXPECT_EQ(st.selected, c.expect.selected) << c.what;
        EXPECT_EQ(st.applyEnabled, c.expect.applyEnabled) << c.what;
        EXPECT_EQ(st.exportEnabled, c.expect.exportEnabled) << c.what;
    }
}

TEST(DiscEditorState, ApplyStoresTheChoice) {
    DiscEditorSettings s;
    ResetDriveChoice(s);
    EXPECT_FALSE(DriveChosen(s));
    EXPECT_EQ(s.host, 0xFFFFFFFFu);
    ApplyDrive(s, "/dev/sr2");
    EXPECT_TRUE(DriveChosen(s));
    EXPECT_EQ(s.host, 0u);
    EXPECT_EQ(s.target, 0u);
    EXPECT_EQ(FieldString(std::span<const char>(s.name)), "/dev/sr2");
    // Only one of the two set is not a choice.
    s.target = kNoDrive;
    EXPECT_FALSE(DriveChosen(s));
}

// A source that cancels itself after a number of reads, as a person pressing Cancel
// while an area is read.
class CancelAfter final : public DiscSource {
public:
    CancelAfter(DiscSource& inner, int reads) : inner_(inner), left_(reads) {}
    CancellableDisc* outer = nullptr;
    std::uint64_t blockCount() override { return inner_.blockCount(); }
    Status readBlocks(std::uint64_t first, std::span<std::uint8_t> out) override {
        if (--left_ == 0 && outer) outer->cancel();
        return inner_.readBlocks(first, out);
    }

private:
    DiscSource& inner_;
    int left_;
};

TEST(DiscEditorState, CancelledExportLeavesTheTargetAsItWas) {
    const SyntheticDisc synth = BuildSyntheticDisc();
    MemoryDisc memory(synth.iso);
    auto tables = LoadTables(memory);
    ASSERT_TRUE(tables.ok());
    // The full-size area: many chunks, so the cancel falls in the middle.
    const SoundRecord* full = nullptr;
    for (const auto& s : tables->sounds)
        if (s.units == kMaxAreaUnits) full = &s;
    ASSERT_NE(full, nullptr);
    test::TempDir dir;
    for (bool existing : {false, true}) {
        const auto target = dir / (existing ? "old.sdk" : "new.sdk");
        if (existing) test::WriteFile(target, std::vector<std::uint8_t>{1, 2, 3});
        CancelAfter inner(memory, 2);
        CancellableDisc disc(inner);
        inner.outer = &disc;
        const Status st = ExportSoundArea(disc, *full, SamplerFamily::S550, test::BinDir(), target);
        ASSERT_FALSE(st.ok());
        EXPECT_TRUE(disc.cancelled());
        EXPECT_TRUE(st.failure().text.empty()) << "a cancel shows nothing";
        EXPECT_EQ(std::filesystem::exists(target), existing);
        if (existing) {
            EXPECT_EQ(test::ReadFile(target), (std::vector<std::uint8_t>{1, 2, 3}));
        }
    }
    // Nothing beside it either (no temporary file left).
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

} // namespace
