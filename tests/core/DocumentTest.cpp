#include <gtest/gtest.h>

#include <filesystem>

#include "core/Document.h"
#include "core/Messages.h"
#include "tests/support/FaultyFileOps.h"
#include "tests/support/TestWorkspace.h"

namespace veldin {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using test::Call;

const Bytes kChange = {'V', 'E', 'L', 'D', 'I', 'N'};
constexpr std::uint32_t kChangeAt = 0x20000; // inside wave bank A

struct Family {
    SamplerChoice choice;
    const char* demo;
    const char* templateFile;
    std::string_view key;
};
constexpr Family kFamilies[] = {
    {SamplerChoice::W30, "demo.sdk", "W30.dat", "W-30"},
    {SamplerChoice::S50, "demo.s50", "S50.dat", "S-50"},
    {SamplerChoice::S330, "demo.s33", "S330.dat", "S330"},
    {SamplerChoice::S550, "demo.s55", "S550.dat", "S550"},
};

class DocumentTest : public ::testing::Test {
protected:
    explicit DocumentTest(os::FileOps& files = os::SystemFileOps()) : w(files) {}

    std::unique_ptr<Document> open(const fs::path& p) {
        auto doc = Document::Open(w.ws, p);
        EXPECT_TRUE(doc.ok()) << (doc.ok() ? "" : doc.failure().text);
        return doc.ok() ? std::move(*doc) : nullptr;
    }
    static void Change(Document& doc, const Bytes& bytes = kChange, std::uint32_t at = kChangeAt) {
        ASSERT_TRUE(doc.record({.code = 1300, .blocks = {{at, bytes}}}).ok());
    }
    static Bytes WorkingCopy(const Document& doc) { return test::ReadFile(doc.undoStore().workingCopyPath()); }
    // Nothing of a failed open is left: no undo directory, no session file.
    void expectNothingLeft() const {
        EXPECT_TRUE(test::TestWorkspace::Entries(w.temp.path()).empty());
        EXPECT_TRUE(w.sessionFiles().empty());
    }

    test::TestWorkspace w;
    test::ScriptedUi ui;
};

TEST_F(DocumentTest, OpenClassifiesAndKeepsTheHeader) {
    const auto p = w.demo("demo.s55");
    auto doc = open(p);
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->path(), p);
    EXPECT_EQ(doc->definition().samplerName, "S550");
    const Bytes bytes = test::ReadFile(p);
    EXPECT_TRUE(std::equal(doc->header().begin(), doc->header().end(), bytes.begin()));
    EXPECT_EQ(WorkingCopy(*doc), bytes);
    EXPECT_EQ(w.sessionFiles().size(), 1u);
}

TEST_F(DocumentTest, OpenRefusals) {
    auto bytes = test::ReadFile(test::DemoImage("demo.s55"));
    const auto expectRefused = [&](const fs::path& p, std::string_view text) {
        SCOPED_TRACE(p.filename().string());
        auto doc = Document::Open(w.ws, p);
        ASSERT_FALSE(doc.ok());
        EXPECT_EQ(doc.failure().text, text);
        EXPECT_EQ(doc.failure().icon, Icon::Error);
        expectNothingLeft();
    };
    expectRefused(w.images / "missing.s55", text::kCantOpenFile);
    expectRefused(w.images.path(), text::kCantOpenFile);

    Bytes shorter(bytes.begin(), bytes.end() - 1);
    test::WriteFile(w.images / "short.s55", shorter);
    expectRefused(w.images / "short.s55", text::kInvalidSize);
    Bytes longer = bytes;
    longer.push_back(0);
    test::WriteFile(w.images / "long.s55", longer);
    expectRefused(w.images / "long.s55", text::kInvalidSize);
    Bytes unknown = bytes;
    unknown[15] ^= 0xFF;
    test::WriteFile(w.images / "unknown.s55", unknown);
    expectRefused(w.images / "unknown.s55", text::kNotRolandImage);
}

TEST_F(DocumentTest, AnImageOpenInOneDocumentCannotBeOpenedInAnother) {
    const auto p = w.demo("demo.s50");
    auto first = open(p);
    ASSERT_TRUE(first);
    auto second = Document::Open(w.ws, p);
    ASSERT_FALSE(second.ok());
    EXPECT_EQ(second.failure().text, text::kCantOpenFile);
    EXPECT_EQ(w.sessionFiles().size(), 1u);

    auto over = Document::New(w.ws, SamplerChoice::S50, p); // nor made anew
    ASSERT_FALSE(over.ok());
    EXPECT_EQ(over.failure().text, text::kCantCreateFile);
    EXPECT_EQ(test::ReadFile(p), test::ReadFile(test::DemoImage("demo.s50")));

    ASSERT_EQ(first->close(ui, text::kTitleToneEditor), Document::CloseResult::Closed);
    EXPECT_TRUE(open(p));
}

TEST_F(DocumentTest, NewFromEachTemplate) {
    for (const auto& f : kFamilies) {
        SCOPED_TRACE(f.templateFile);
        const auto p = w.images / (std::string("new") + std::string(InfoOf(f.choice).pattern.substr(1)));
        auto doc = Document::New(w.ws, f.choice, p);
        ASSERT_TRUE(doc.ok()) << doc.failure().text;
        EXPECT_EQ((*doc)->definition().family(), f.key);
        EXPECT_EQ((*doc)->path(), p);
        const Bytes bytes = test::ReadFile(p);
        ASSERT_EQ(bytes.size(), 737280u);
        Bytes expected = test::ReadFile(w.main / f.templateFile);
        expected.resize(737280, 0);
        EXPECT_EQ(bytes, expected);
    }
}

TEST_F(DocumentTest, NewReplacesAnExistingFile) {
    const auto p = w.images / "x.s33";
    test::WriteFile(p, {1, 2, 3});
    fs::permissions(p, fs::perms(0640));
    auto doc = Document::New(w.ws, SamplerChoice::S330, p);
    ASSERT_TRUE(doc.ok());
    EXPECT_EQ(fs::file_size(p), 737280u);
    EXPECT_EQ(fs::status(p).permissions() & fs::perms::all, fs::perms(0640));
}

TEST_F(DocumentTest, NewRefusalsWriteNothing) {
    const auto p = w.images / "keep.s55";
    const Bytes previous = {9, 9, 9};
    const auto expectRefused = [&](std::string_view text) {
        test::WriteFile(p, previous);
        auto doc = Document::New(w.ws, SamplerChoice::S550, p);
        ASSERT_FALSE(doc.ok());
        EXPECT_EQ(doc.failure().text, text);
        EXPECT_EQ(test::ReadFile(p), previous);
        EXPECT_EQ(test::TestWorkspace::Entries(w.images.path()), std::vector<std::string>{"keep.s55"});
        expectNothingLeft();
    };
    auto templ = test::ReadFile(w.main / "S550.dat");
    templ.push_back(0); // one byte too many: the image would be 737,281 bytes
    test::WriteFile(w.main / "S550.dat", templ);
    expectRefused(text::kInvalidSize);
    templ.resize(64512);
    templ[4] = 'X'; // no sampler's key
    test::WriteFile(w.main / "S550.dat", templ);
    expectRefused(text::kNotRolandImage);
    fs::remove(w.main / "S550.dat");
    expectRefused(text::kNoTemplate);
}

TEST_F(DocumentTest, UserFileChangesOnlyOnSave) {
    const auto p = w.demo("demo.sdk");
    fs::permissions(p, fs::perms(0604));
    const Bytes original = test::ReadFile(p);
    auto doc = open(p);
    ASSERT_TRUE(doc);
    Change(*doc);
    Change(*doc, {1, 2, 3}, 0x70000);
    ASSERT_TRUE(doc->undo().ok());
    EXPECT_EQ(test::ReadFile(p), original);
    EXPECT_TRUE(doc->isModified());

    ASSERT_TRUE(doc->save().ok());
    const Bytes saved = test::ReadFile(p);
    EXPECT_EQ(saved, WorkingCopy(*doc));
    EXPECT_NE(saved, original);
    EXPECT_FALSE(doc->isModified());
    EXPECT_FALSE(doc->canUndo());
    EXPECT_FALSE(doc->canRedo()); // the history before a save is gone
    EXPECT_EQ(fs::status(p).permissions() & fs::perms::mask, fs::perms(0604));
    EXPECT_EQ(test::TestWorkspace::Entries(w.images.path()), std::vector<std::string>{"demo.sdk"});

    // The saved file is the document's file: still held, still saved to.
    auto again = Document::Open(w.ws, p);
    ASSERT_FALSE(again.ok());
    Change(*doc, {7}, 5);
    ASSERT_TRUE(doc->save().ok());
    EXPECT_EQ(test::ReadFile(p)[5], 7);
}

TEST_F(DocumentTest, SaveThroughALinkReplacesTheFileNotTheLink) {
    const auto target = w.demo("demo.s55");
    const auto link = w.images / "link.s55";
    fs::create_symlink(target, link);
    auto doc = open(link);
    ASSERT_TRUE(doc);
    Change(*doc);
    ASSERT_TRUE(doc->save().ok());
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(test::ReadFile(target), WorkingCopy(*doc));
}

TEST_F(DocumentTest, SaveAsBetweenEveryPairOfFamilies) {
    for (const auto& from : kFamilies) {
        const auto source = w.demo(from.demo);
        const Bytes original = test::ReadFile(source);
        auto doc = open(source);
        ASSERT_TRUE(doc);
        Change(*doc); // unsaved: a copy takes it along
        Change(*doc, Bytes(512, 0xAB), 126 * 512);
        const Bytes working = WorkingCopy(*doc);
        for (const auto& to : kFamilies) {
            SCOPED_TRACE(std::string(from.demo) + " -> " + to.templateFile);
            const auto out = w.images / ("copy-" + std::string(from.key) + "-" + std::string(to.key));
            ASSERT_TRUE(doc->saveAs(to.choice, out).ok());
            const Bytes copy = test::ReadFile(out);
            ASSERT_EQ(copy.size(), 737280u);
            if (from.key == to.key) {
                EXPECT_EQ(copy, working);
            } else {
                const Bytes templ = test::ReadFile(w.main / to.templateFile);
                EXPECT_TRUE(copy == test::TestWorkspace::CrossFamilyCopy(templ, working, to.choice == SamplerChoice::S50));
            }
            auto reopened = Document::Open(w.ws, out);
            ASSERT_TRUE(reopened.ok());
            EXPECT_EQ((*reopened)->definition().family(), from.key == to.key ? from.key : to.key);
        }
        EXPECT_EQ(test::ReadFile(source), original); // the document's own file is untouched
        EXPECT_TRUE(doc->isModified());
    }
}

TEST_F(DocumentTest, SaveAsRefusals) {
    const auto p = w.demo("demo.s55");
    auto doc = open(p);
    ASSERT_TRUE(doc);
    // Onto its own file, which the document holds: Save is for that.
    auto s = doc->saveAs(SamplerChoice::S550, p);
    ASSERT_FALSE(s.ok());
    EXPECT_EQ(s.failure().text, text::kCantCreateFile);

    fs::remove(w.main / "S50.dat");
    s = doc->saveAs(SamplerChoice::S50, w.images / "a.s50");
    ASSERT_FALSE(s.ok());
    EXPECT_EQ(s.failure().text, text::kNoTemplate);
    test::WriteFile(w.main / "S50.dat", Bytes(1000, 0));
    s = doc->saveAs(SamplerChoice::S50, w.images / "a.s50");
    ASSERT_FALSE(s.ok());
    EXPECT_EQ(s.failure().text, text::kNoTemplate);
    s = doc->saveAs(SamplerChoice::S330, w.images / "no" / "such" / "folder.s33");
    ASSERT_FALSE(s.ok());
    EXPECT_EQ(s.failure().text, text::kCantCreateFile);
    EXPECT_EQ(test::TestWorkspace::Entries(w.images.path()), std::vector<std::string>{"demo.s55"});
}

TEST_F(DocumentTest, CloseAsksOnlyWhenThereAreChanges) {
    const auto p = w.demo("demo.s33");
    auto doc = open(p);
    ASSERT_TRUE(doc);
    Change(*doc);
    ASSERT_TRUE(doc->undo().ok());
    const auto dir = doc->undoStore().state().tempDirectory;
    EXPECT_EQ(doc->close(ui, text::kTitlePatchEditor), Document::CloseResult::Closed);
    EXPECT_TRUE(ui.shown().empty());
    EXPECT_FALSE(fs::exists(dir));
    EXPECT_TRUE(w.sessionFiles().empty());
}

TEST_F(DocumentTest, CloseQuestionAndItsAnswers) {
    const auto p = w.demo("demo.s55");
    const Bytes original = test::ReadFile(p);
    auto doc = open(p);
    ASSERT_TRUE(doc);
    Change(*doc);

    ui.answer(Answer::Cancel);
    EXPECT_EQ(doc->close(ui, text::kTitleToneEditor), Document::CloseResult::Cancelled);
    ASSERT_EQ(ui.shown().size(), 1u);
    EXPECT_EQ(ui.shown()[0].text, p.string() + " is not saved, do you want to save this file?");
    EXPECT_EQ(ui.shown()[0].title, "Tone Editor");
    EXPECT_TRUE(ui.shown()[0].question);
    EXPECT_TRUE(doc->isOpen());
    EXPECT_TRUE(doc->canUndo()); // everything kept
    EXPECT_EQ(test::ReadFile(p), original);

    ui.answer(Answer::No);
    EXPECT_EQ(doc->close(ui, text::kTitleToneEditor), Document::CloseResult::Closed);
    EXPECT_EQ(test::ReadFile(p), original);
    EXPECT_TRUE(test::TestWorkspace::Entries(w.temp.path()).empty());

    auto again = open(p); // the file was released
    ASSERT_TRUE(again);
    Change(*again);
    const Bytes changed = WorkingCopy(*again);
    ui.answer(Answer::Yes);
    EXPECT_EQ(again->close(ui, text::kTitleToneEditor), Document::CloseResult::Closed);
    EXPECT_EQ(test::ReadFile(p), changed);
    EXPECT_TRUE(w.sessionFiles().empty());
}

TEST_F(DocumentTest, SlotsAndTheFileOperationEntry) {
    DocumentSlot slot;
    ASSERT_FALSE(GetDocument(slot).ok());
    EXPECT_EQ(GetDocument(slot).failure().text, "Failed to get pointer to structure!");

    const auto title = text::kTitleMidiEditor;
    EXPECT_EQ(DocumentFileOp(slot, 2, {}, w.ws, ui, title), 1); // Save without a document fails
    EXPECT_EQ(ui.texts(), std::vector<std::string>{"Failed to get pointer to structure!"});
    EXPECT_EQ(DocumentFileOp(slot, 3, {}, w.ws, ui, title), 0);
    ui.clear();
    EXPECT_EQ(DocumentFileOp(slot, 5, {}, w.ws, ui, title), 1); // closes without question
    EXPECT_EQ(DocumentFileOp(slot, 1, {}, w.ws, ui, title), 0); // dialog cancelled
    EXPECT_TRUE(ui.shown().empty());
    EXPECT_EQ(DocumentFileOp(slot, 1, {w.images / "none.sng"}, w.ws, ui, title), 0);
    EXPECT_EQ(ui.texts(), std::vector<std::string>{"Couldn't open file!"});
    EXPECT_EQ(ui.shown()[0].title, "MIDI Editor");
    ui.clear();

    const auto p = w.images / "made.s50";
    EXPECT_EQ(DocumentFileOp(slot, 0, {p, SamplerChoice::S50}, w.ws, ui, title), 1);
    auto doc = GetDocument(slot);
    ASSERT_TRUE(doc.ok());
    EXPECT_EQ((*doc)->definition().family(), "S-50");
    for (int unknown : {4, 6, -1}) EXPECT_EQ(DocumentFileOp(slot, unknown, {p}, w.ws, ui, title), 0);
    Change(**doc);
    EXPECT_EQ(DocumentFileOp(slot, 3, {w.images / "copy.s55", SamplerChoice::S550}, w.ws, ui, title), 1);
    ui.answer(Answer::Cancel);
    EXPECT_EQ(DocumentFileOp(slot, 5, {}, w.ws, ui, title), 2);
    EXPECT_FALSE(slot.empty());
    EXPECT_EQ(DocumentFileOp(slot, 2, {}, w.ws, ui, title), 0);
    EXPECT_EQ(DocumentFileOp(slot, 5, {}, w.ws, ui, title), 1);
    EXPECT_TRUE(slot.empty());
    EXPECT_TRUE(ui.texts().size() == 1); // only the question
}

TEST(HandoverPath, TakenOnceAndNeverCut) {
    HandoverPath h;
    EXPECT_FALSE(h.take());
    EXPECT_TRUE(h.set("/images/a.s55"));
    EXPECT_EQ(h.take(), fs::path("/images/a.s55"));
    EXPECT_TRUE(h.empty());
    EXPECT_FALSE(h.take());
    EXPECT_TRUE(h.set("/" + std::string(510, 'a')));  // 511 characters and the closing zero
    EXPECT_FALSE(h.set("/" + std::string(511, 'a'))); // would not fit: refused, not cut
    EXPECT_EQ(h.take()->native().size(), 511u);
}

class DocumentFaultTest : public DocumentTest {
protected:
    DocumentFaultTest() : DocumentTest(faults) {}
    test::FaultyFileOps faults;
};

TEST_F(DocumentFaultTest, YesWithAFailingSaveKeepsTheDocumentOpen) {
    const auto p = w.demo("demo.s55");
    auto doc = open(p);
    ASSERT_TRUE(doc);
    Change(*doc);
    faults.failWhen([](Call c, const fs::path&) { return c == Call::Rename; });
    ui.answer(Answer::Yes);
    EXPECT_EQ(doc->close(ui, text::kTitleToneEditor), Document::CloseResult::Cancelled);
    faults.clear();
    EXPECT_EQ(ui.texts().back(), text::kCantSaveFile);
    EXPECT_EQ(ui.shown().back().icon, Icon::Error);
    EXPECT_TRUE(doc->isOpen());
    EXPECT_TRUE(doc->isModified());
    EXPECT_TRUE(doc->canUndo());
    EXPECT_EQ(test::ReadFile(p), test::ReadFile(test::DemoImage("demo.s55")));
    ui.answer(Answer::Yes);
    EXPECT_EQ(doc->close(ui, text::kTitleToneEditor), Document::CloseResult::Closed);
    EXPECT_EQ(test::ReadFile(p).at(kChangeAt), 'V');
}

TEST_F(DocumentFaultTest, LockingThatIsNotAvailableIsSaidSo) {
    const auto p = w.demo("demo.s55");
    faults.failWhen([&](Call c, const fs::path& path) { return c == Call::Lock && path == p; });
    auto doc = Document::Open(w.ws, p);
    ASSERT_FALSE(doc.ok());
    EXPECT_EQ(doc.failure().text, text::kCantLockOriginal);
    expectNothingLeft();
}

} // namespace
} // namespace veldin
