#include <gtest/gtest.h>

#include <filesystem>

#include "core/Document.h"
#include "core/Messages.h"
#include "tests/core/Helpers.h"
#include "tests/support/FaultyFileOps.h"
#include "tests/support/TestWorkspace.h"

namespace veldin {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using test::Call;
using test::Refused;
using Names = std::vector<std::string>;

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
    Names images() const { return test::TestWorkspace::Entries(w.images.path()); }

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
}

TEST_F(DocumentTest, OpenRefusals) {
    const Bytes bytes = test::ReadFile(test::DemoImage("demo.s55"));
    Bytes unknown = bytes, longer = bytes;
    unknown[15] ^= 0xFF;
    longer.push_back(0);
    const struct {
        const char* name;
        std::optional<Bytes> contents; // none: nothing written
        std::string_view text;
    } cases[] = {
        {"missing.s55", std::nullopt, text::kCantOpenFile},
        {"", std::nullopt, text::kCantOpenFile}, // the folder itself
        {"short.s55", Bytes(bytes.begin(), bytes.end() - 1), text::kInvalidSize},
        {"long.s55", longer, text::kInvalidSize},
        {"unknown.s55", unknown, text::kNotRolandImage},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path p = *c.name ? w.images / c.name : w.images.path();
        if (c.contents) test::WriteFile(p, *c.contents);
        EXPECT_EQ(Refused(Document::Open(w.ws, p)), Fail(c.text, Icon::Error));
        expectNothingLeft();
    }
}

TEST_F(DocumentTest, AnImageOpenInOneDocumentCannotBeOpenedInAnother) {
    const auto p = w.demo("demo.s50");
    auto first = open(p);
    ASSERT_TRUE(first);
    EXPECT_EQ(Refused(Document::Open(w.ws, p)).text, text::kCantOpenFile);
    EXPECT_EQ(w.sessionFiles().size(), 1u);
    EXPECT_EQ(Refused(Document::New(w.ws, SamplerChoice::S50, p)).text, text::kCantCreateFile); // nor made anew
    EXPECT_EQ(test::ReadFile(p), test::ReadFile(test::DemoImage("demo.s50")));
    ASSERT_EQ(first->close(ui, text::kTitleToneEditor), Document::CloseResult::Closed);
    EXPECT_TRUE(open(p));
}

TEST_F(DocumentTest, NewFromEachTemplateReplacingAnExistingFile) {
    for (const auto& f : kFamilies) {
        SCOPED_TRACE(f.templateFile);
        const auto p = w.images / (std::string("new") + std::string(InfoOf(f.choice).pattern.substr(1)));
        test::WriteFile(p, {1, 2, 3});
        fs::permissions(p, fs::perms(0640));
        auto doc = Document::New(w.ws, f.choice, p);
        ASSERT_TRUE(doc.ok()) << doc.failure().text;
        EXPECT_EQ((*doc)->definition().family(), f.key);
        EXPECT_EQ((*doc)->path(), p);
        Bytes expected = test::ReadFile(w.main / f.templateFile);
        expected.resize(737280, 0);
        EXPECT_EQ(test::ReadFile(p), expected);
        EXPECT_EQ(fs::status(p).permissions() & fs::perms::all, fs::perms(0640));
    }
}

TEST_F(DocumentTest, NewRefusalsWriteNothing) {
    const auto p = w.images / "keep.s55";
    const Bytes previous = {9, 9, 9};
    const auto expectRefused = [&](std::string_view text) {
        test::WriteFile(p, previous);
        EXPECT_EQ(Refused(Document::New(w.ws, SamplerChoice::S550, p)).text, text);
        EXPECT_EQ(test::ReadFile(p), previous);
        EXPECT_EQ(images(), Names{"keep.s55"});
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
    // The history before a save is gone.
    EXPECT_EQ(std::tuple(doc->isModified(), doc->canUndo(), doc->canRedo()), std::tuple(false, false, false));
    EXPECT_EQ(fs::status(p).permissions() & fs::perms::mask, fs::perms(0604));
    EXPECT_EQ(images(), Names{"demo.sdk"});

    // The saved file is the document's file: still held, still saved to.
    EXPECT_FALSE(Document::Open(w.ws, p).ok());
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
            EXPECT_EQ((*reopened)->definition().family(), to.key);
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
    EXPECT_EQ(Refused(doc->saveAs(SamplerChoice::S550, p)).text, text::kCantCreateFile);
    fs::remove(w.main / "S50.dat");
    EXPECT_EQ(Refused(doc->saveAs(SamplerChoice::S50, w.images / "a.s50")).text, text::kNoTemplate);
    test::WriteFile(w.main / "S50.dat", Bytes(1000, 0));
    EXPECT_EQ(Refused(doc->saveAs(SamplerChoice::S50, w.images / "a.s50")).text, text::kNoTemplate);
    EXPECT_EQ(Refused(doc->saveAs(SamplerChoice::S330, w.images / "no" / "such" / "folder.s33")).text,
              text::kCantCreateFile);
    EXPECT_EQ(images(), Names{"demo.s55"});
}

TEST_F(DocumentTest, CloseAsksOnlyWhenThereAreChangesAndFollowsTheAnswer) {
    const auto p = w.demo("demo.s55");
    const Bytes original = test::ReadFile(p);
    auto doc = open(p);
    ASSERT_TRUE(doc);
    Change(*doc);
    ASSERT_TRUE(doc->undo().ok()); // back to the file: nothing to ask
    EXPECT_EQ(doc->close(ui, text::kTitlePatchEditor), Document::CloseResult::Closed);
    EXPECT_TRUE(ui.shown().empty());
    EXPECT_TRUE(w.sessionFiles().empty());

    doc = open(p);
    Change(*doc);
    ui.answer(Answer::Cancel);
    EXPECT_EQ(doc->close(ui, text::kTitleToneEditor), Document::CloseResult::Cancelled);
    ASSERT_EQ(ui.shown().size(), 1u);
    EXPECT_EQ(ui.shown()[0].text, p.string() + " is not saved, do you want to save this file?");
    EXPECT_EQ(ui.shown()[0].title, "Tone Editor");
    EXPECT_TRUE(ui.shown()[0].question);
    EXPECT_TRUE(doc->isOpen() && doc->canUndo()); // everything kept
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
    EXPECT_EQ(Refused(GetDocument(slot)).text, "Failed to get pointer to structure!");
    const auto op = [&](int code, FileOpRequest args = {}) {
        return DocumentFileOp(slot, code, args, w.ws, ui, text::kTitleMidiEditor);
    };
    EXPECT_EQ(op(2), 1); // Save without a document fails
    EXPECT_EQ(ui.texts(), Names{"Failed to get pointer to structure!"});
    EXPECT_EQ(op(3), 0);
    ui.clear();
    EXPECT_EQ(op(5), 1); // closes without question
    EXPECT_EQ(op(1), 0); // dialog cancelled
    EXPECT_TRUE(ui.shown().empty());
    EXPECT_EQ(op(1, {w.images / "none.sng"}), 0);
    EXPECT_EQ(ui.texts(), Names{"Couldn't open file!"});
    EXPECT_EQ(ui.shown()[0].title, "MIDI Editor");
    ui.clear();

    const auto p = w.images / "made.s50";
    EXPECT_EQ(op(0, {p, SamplerChoice::S50}), 1);
    auto doc = GetDocument(slot);
    ASSERT_TRUE(doc.ok());
    EXPECT_EQ((*doc)->definition().family(), "S-50");
    for (int unknown : {4, 6, -1})
        EXPECT_EQ(op(unknown, {p}), 0);
    Change(**doc);
    EXPECT_EQ(op(3, {w.images / "copy.s55", SamplerChoice::S550}), 1);
    ui.answer(Answer::Cancel);
    EXPECT_EQ(op(5), 2);
    EXPECT_FALSE(slot.empty());
    EXPECT_EQ(op(2), 0);
    EXPECT_EQ(op(5), 1);
    EXPECT_TRUE(slot.empty());
    EXPECT_EQ(ui.texts().size(), 1u); // only the question
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
    EXPECT_TRUE(doc->isOpen() && doc->isModified() && doc->canUndo());
    EXPECT_EQ(test::ReadFile(p), test::ReadFile(test::DemoImage("demo.s55")));
    ui.answer(Answer::Yes);
    EXPECT_EQ(doc->close(ui, text::kTitleToneEditor), Document::CloseResult::Closed);
    EXPECT_EQ(test::ReadFile(p).at(kChangeAt), 'V');
}

TEST_F(DocumentFaultTest, LockingThatIsNotAvailableIsSaidSo) {
    const auto p = w.demo("demo.s55");
    faults.failWhen([&](Call c, const fs::path& path) { return c == Call::Lock && path == p; });
    EXPECT_EQ(Refused(Document::Open(w.ws, p)).text, text::kCantLockOriginal);
    expectNothingLeft();
}

} // namespace
} // namespace veldin
