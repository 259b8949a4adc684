// New and Save As of the MIDI Editor: images from the two templates, refusals that write
// nothing, and the copy that takes the template's first sector and the document's rest.
#include <gtest/gtest.h>

#include "core/Document.h"
#include "core/Geometry.h"
#include "core/Messages.h"
#include "midi/DocumentSongImage.h"
#include "midi/SongDiskFiles.h"
#include "midi/SongEditor.h"
#include "platform/os/FileOps.h"
#include "tests/midi/Builders.h"
#include "tests/support/TestSupport.h"

namespace veldin::midi {
namespace {

namespace fs = std::filesystem;

TEST(SongDiskFiles, NewMakesTheChosenTemplateFollowedByZeros) {
    test::TempDir dir;
    const std::vector<std::pair<int, std::string>> cases = {{1, "W30.dat"}, {2, "W30S.dat"}};
    for (const auto& [index, templateFile] : cases) {
        SCOPED_TRACE(templateFile);
        const fs::path out = dir / ("new" + std::to_string(index) + ".img");
        ASSERT_TRUE(MakeSongDisk(os::SystemFileOps(), test::BinDir(), index, out).ok());
        const auto image = test::ReadFile(out);
        ASSERT_EQ(image.size(), static_cast<std::size_t>(kImageSize));
        const auto tmpl = test::ReadFile(test::BinDir() / templateFile);
        EXPECT_TRUE(std::equal(tmpl.begin(), tmpl.end(), image.begin()));
        EXPECT_TRUE(std::all_of(image.begin() + kSystemAreaSize, image.end(), [](auto b) { return b == 0; }));
        EXPECT_TRUE(ClassifyImage(std::span(image).first(kHeaderSize)).hasSongs);
    }
    // The song disk opens empty with all its room free.
    MemoryImage image(test::ReadFile(dir / "new2.img"));
    test::ScriptedUi ui;
    const auto bytes = test::ReadFile(dir / "new2.img");
    auto editor = SongEditor::Open(image, ClassifyImage(std::span(bytes).first(kHeaderSize)), ui, std::nullopt);
    ASSERT_TRUE(editor.ok());
    EXPECT_EQ(editor->list().freeText(), "64 positions & 728064 bytes free");
}

TEST(SongDiskFiles, WithoutAUsableTemplateNothingIsWritten) {
    test::TempDir dir;
    test::WriteFile(dir / "W30S.dat", test::Bytes(1000, 0));
    const std::vector<std::pair<fs::path, int>> cases = {
        {test::BinDir(), 0}, {test::BinDir(), 3}, {dir.path() / "nowhere", 2}, {dir.path(), 2} /* short template */};
    for (const auto& [mainDir, index] : cases) {
        const fs::path out = dir / "out.sng";
        auto s = MakeSongDisk(os::SystemFileOps(), mainDir, index, out);
        ASSERT_FALSE(s.ok()) << index;
        EXPECT_EQ(s.failure().text, text::kNoTemplate);
        EXPECT_FALSE(fs::exists(out));
    }
}

TEST(SongDiskFiles, SaveAsTakesTheTemplatesFirstSectorAndTheWorkingCopysRest) {
    test::TempDir dir;
    fs::copy_file(test::DemoImage("demo.sng"), dir / "a.sng");
    const auto original = test::ReadFile(dir / "a.sng");
    const Workspace ws = Workspace::System(test::BinDir());
    auto doc = Document::Open(ws, dir / "a.sng");
    ASSERT_TRUE(doc.ok());
    DocumentSongImage image(**doc);
    test::ScriptedUi ui;
    auto editor = SongEditor::Open(image, (*doc)->definition(), ui, std::nullopt).value();
    ASSERT_TRUE(editor.store(test::SongOfSectors(6, "UNSAVED")).ok());
    ASSERT_TRUE(SaveSongDiskAs(os::SystemFileOps(), test::BinDir(), **doc, 1, dir / "copy.sdk").ok());
    const auto copy = test::ReadFile(dir / "copy.sdk");
    ASSERT_EQ(copy.size(), static_cast<std::size_t>(kImageSize));
    const auto tmpl = test::ReadFile(test::BinDir() / "W30.dat");
    EXPECT_TRUE(std::equal(tmpl.begin(), tmpl.begin() + kSectorSize, copy.begin()));
    std::vector<std::uint8_t> working(kImageSize);
    ASSERT_TRUE((*doc)->read(0, working).ok());
    EXPECT_TRUE(std::equal(working.begin() + kSectorSize, working.end(), copy.begin() + kSectorSize));
    EXPECT_EQ(test::ReadFile(dir / "a.sng"), original) << "the document's own file changes only on Save";
    EXPECT_FALSE(SaveSongDiskAs(os::SystemFileOps(), dir.path() / "nowhere", **doc, 2, dir / "x.sng").ok());
    EXPECT_FALSE(fs::exists(dir / "x.sng"));
}

} // namespace
} // namespace veldin::midi
