// Copy, Cut and Paste of tones, the files a drop may bring and the files a tone dragged
// out becomes: on hand-placed images, compared with Save Tone + Load Tone.
#include <gtest/gtest.h>

#include "tests/support/TestSupport.h"
#include "tests/tone/ToneTestSupport.h"
#include "tone/ToneTexts.h"
#include "tone/ToneTransfer.h"

namespace veldin::tone {
namespace {

using data::TemplateKind;
using test::EmptyImage;
using test::Put;

// Position 0: an original of 3 segments in bank A with subtones at 4 and 6; a tone of
// the second area at 2 (W-30 only).
MemoryDocument Source(TemplateKind kind) {
    auto doc = EmptyImage(kind);
    Put(doc, {"PIA:NO  ", 0, 0, 0, 3, false, 0, 0, 100, 30000});
    Put(doc, {"PIANO-1", 4, 0, 0, 3, true, 0, 1000, 3000, 5000});
    Put(doc, {"PIANO-2", 6, 0, 0, 3, true, 0, 2000, 2500, 9000});
    test::FillWave(doc, 0, 0, 3, 1);
    if (kind == TemplateKind::W30) Put(doc, {"ROMT", 2, 2, 0, 22, false, 0}, Area::Rom);
    return doc;
}

// A target image with one tone in bank B, so that places and banks differ from the source.
MemoryDocument Target(TemplateKind kind) {
    auto doc = EmptyImage(kind);
    Put(doc, {"OTHER", 0, 1, 0, 2, false, 0, 0, 10, 20000});
    test::FillWave(doc, 1, 0, 2, 7);
    return doc;
}

ImportTarget Onto(ToneEditor& e, std::optional<ToneRef> tone, Group bank) {
    if (tone) EXPECT_TRUE(e.selectTone(*tone));
    else EXPECT_TRUE(e.selectGroup(bank));
    return e.target();
}

const ToneRef kOriginal = ToneRef::Make(0, Area::Ram, 0);
const ToneRef kSubtone = ToneRef::Make(0, Area::Ram, 4);
const ToneRef kRomTone = ToneRef::Make(0, Area::Rom, 2);

TEST(ToneCopy, CarriesWhatSaveToneWritesAndPastesAsLoadToneImports) {
    struct Case {
        TemplateKind from, to;
        ToneRef ref;
        std::optional<ToneRef> ontoTone; // else onto RAM B
        const char* name;
        std::size_t size;
    };
    const Case cases[] = {
        {TemplateKind::S550, TemplateKind::W30, kOriginal, {}, "PIA_NO.ton", 6 + 3 * 128 + 3 * 18432},
        {TemplateKind::W30, TemplateKind::S50, kOriginal, {}, "PIA_NO.ton", 6 + 3 * 128 + 3 * 18432},
        {TemplateKind::S550, TemplateKind::S330, kSubtone, kOriginal, "PIANO-1.ston", 134},
        {TemplateKind::W30, TemplateKind::S550, kRomTone, kOriginal, "ROMT.ston", 134},
        // An original pasted onto an original becomes its subtone, as a loaded ".ton" does.
        {TemplateKind::S550, TemplateKind::S550, kOriginal, kOriginal, "PIA_NO.ton", 6 + 3 * 128 + 3 * 18432},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto src = Source(c.from);
        const auto areas = ToneAreas::Read(src);
        auto copied = CopyTone(src, areas, c.ref);
        ASSERT_TRUE(copied) << copied.failure().text;
        auto x = ExtractToneFile(src, areas, c.ref);
        ASSERT_TRUE(x);
        const auto saved = SaveToneBytes(x->file, SaveFilters(x->file).front());
        EXPECT_EQ(copied->bytes, saved);
        EXPECT_EQ(copied->bytes.size(), c.size);
        EXPECT_EQ(copied->name, c.name);

        auto pasted = Target(c.to), loaded = Target(c.to);
        const ToneRef onto = c.ontoTone ? ToneRef::Make(0, Area::Ram, 0) : ToneRef{};
        ToneEditor pe(pasted), le(loaded);
        const auto pt = Onto(pe, c.ontoTone ? std::optional(onto) : std::nullopt, Group::RamB);
        const auto lt = Onto(le, c.ontoTone ? std::optional(onto) : std::nullopt, Group::RamB);
        ASSERT_TRUE(PasteTone(pe, copied->bytes, pt));
        ASSERT_TRUE(le.importToneFile(saved, lt));
        EXPECT_EQ(pasted.image(), loaded.image());
        EXPECT_NE(pasted.image(), Target(c.to).image());
        EXPECT_EQ(pe.lastEvents(), le.lastEvents());
        pasted.undo();
        EXPECT_EQ(pasted.image(), Target(c.to).image()) << "one undo step";
    }
}

TEST(ToneCopy, DamagedOrForeignClipboardBytesAreRefusedAndChangeNothing) {
    auto src = Source(TemplateKind::S550);
    const auto ton = CopyTone(src, ToneAreas::Read(src), kOriginal).value().bytes;
    const auto ston = CopyTone(src, ToneAreas::Read(src), kSubtone).value().bytes;
    using Bytes = std::vector<std::uint8_t>;
    auto with = [](Bytes b, std::size_t at, std::uint8_t v) {
        b[at] = v;
        return b;
    };
    Bytes longer = ton;
    longer.push_back(0);
    Bytes subtoneFirst = ton;
    subtoneFirst[6 + 10] = 1; // byte 10 of a record: the subtone flag
    const std::pair<const char*, Bytes> damaged[] = {
        {"empty", {}},
        {"text", Bytes{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'}},
        {"magic", with(ton, 3, 'X')},
        {"header only", Bytes{'R', 'T', 'O', 'N', 0, 1}},
        {"one byte more", longer},
        {"one byte less", Bytes(ton.begin(), ton.end() - 1)},
        {"no record", with(Bytes(ston.begin(), ston.begin() + 6), 5, 0)},
        {"two records without wave", with(ton, 4, 0)},
        {"first record a subtone", subtoneFirst},
        {"a free record", with(ston, 6 + 15, 0)},
        {"subtone longer than the wave", with(ton, 6 + 128 + 15, 4)},
    };
    for (const auto& [what, bytes] : damaged) {
        SCOPED_TRACE(what);
        auto doc = Target(TemplateKind::S550);
        ToneEditor e(doc);
        const auto t = Onto(e, std::nullopt, Group::RamA);
        auto st = PasteTone(e, bytes, t);
        ASSERT_FALSE(st);
        EXPECT_EQ(st.failure().text, text::kClipboardDamaged);
        EXPECT_EQ(doc.image(), Target(TemplateKind::S550).image());
        EXPECT_TRUE(e.lastEvents().empty());
    }
    for (const Bytes& good : {ton, ston}) EXPECT_TRUE(ClipboardToneFile(good));
}

TEST(ToneCopy, PasteKeepsLoadTonesRefusals) {
    auto src = Source(TemplateKind::S550);
    const auto areas = ToneAreas::Read(src);
    const auto ton = CopyTone(src, areas, kOriginal).value().bytes;
    const auto ston = CopyTone(src, areas, kSubtone).value().bytes;
    auto full = Target(TemplateKind::S550);
    test::FillWave(full, 0, 0, 17, 3);
    Put(full, {"BIG", 1, 0, 0, 17, false, 1});
    Put(full, {"SUB", 2, 0, 0, 17, true, 1});
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
        std::optional<ToneRef> onto;
        Group group;
        std::string_view message;
    };
    const Case cases[] = {
        {"root group", ton, {}, Group::Ram, text::kImportHere},
        {"subtone onto a bank", ston, {}, Group::RamB, text::kSubtoneIntoRam},
        {"onto a subtone", ton, ToneRef::Make(1, Area::Ram, 2), Group::RamA, text::kSubtoneIntoSubtone},
        {"bank without room", ton, {}, Group::RamA, text::kNoFreeMemory},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto doc = full;
        const auto before = doc.image();
        ToneEditor e(doc);
        const auto t = Onto(e, c.onto, c.group);
        auto st = PasteTone(e, c.bytes, t);
        ASSERT_FALSE(st);
        EXPECT_EQ(st.failure().text, c.message);
        EXPECT_EQ(doc.image(), before);
    }
}

TEST(ToneCut, CopiesThenDeletesAsOneStepAndRefusesWithoutATone) {
    auto doc = Source(TemplateKind::S550);
    const auto before = doc.image();
    ToneEditor e(doc);
    ASSERT_TRUE(e.selectTone(kOriginal));
    auto expected = CopyTone(doc, e.areas(), kOriginal).value();
    auto cut = CutSelected(doc, e);
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->bytes, expected.bytes);
    EXPECT_FALSE(ToneAreas::Read(doc).find(kOriginal)->isUsed());
    EXPECT_FALSE(ToneAreas::Read(doc).find(kSubtone)->isUsed());
    doc.undo();
    EXPECT_EQ(doc.image(), before) << "one step";

    ASSERT_TRUE(e.selectGroup(Group::RamA));
    auto none = CutSelected(doc, e);
    ASSERT_FALSE(none);
    EXPECT_EQ(doc.image(), before);
    EXPECT_FALSE(CanCopy(e.selection()));
    EXPECT_TRUE(CanPaste(e.selection(), true));
    EXPECT_FALSE(CanPaste(e.selection(), false));
    ASSERT_TRUE(e.selectGroup(Group::Ram));
    EXPECT_FALSE(CanPaste(e.selection(), true));
}

TEST(ToneDrop, FilesAreTakenWholeByTheirKind) {
    struct Case {
        std::vector<std::string> names;
        DropUse use;
    };
    const Case cases[] = {
        {{"/home/u/kick.wav"}, DropUse::Import},
        {{"A.WAV", "b.Ton", "c.ston"}, DropUse::Import},
        {{"demo.s55"}, DropUse::OpenImages},
        {{"x.sdk", "y.OUT", "z.w30", "q.sng"}, DropUse::OpenImages},
        {{"kick.wav", "demo.s55"}, DropUse::Refuse},
        {{"notes.txt"}, DropUse::Refuse},
        {{"wav"}, DropUse::Refuse},
        {{".wav"}, DropUse::Refuse},
        {{"dir.wav/readme"}, DropUse::Refuse},
        {{}, DropUse::Refuse},
    };
    for (const Case& c : cases) EXPECT_EQ(UseOfDrop(c.names), c.use) << (c.names.empty() ? "" : c.names.front());
}

TEST(ToneDrop, ImportFileByKind) {
    auto src = Source(TemplateKind::S550);
    const auto ton = CopyTone(src, ToneAreas::Read(src), kOriginal).value().bytes;
    veldin::test::ScriptedUi ui;
    const WaveImportOptions options{veldin::test::BinDir(), false, "."};
    // A mono 16-bit WAV of 3000 samples.
    std::vector<std::uint8_t> wav{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0,
                                  1, 0, 1, 0, 0x30, 0x75, 0, 0, 0x60, 0xEA, 0, 0, 2, 0, 16, 0, 'd', 'a', 't', 'a',
                                  0x70, 0x17, 0, 0};
    wav.resize(wav.size() + 6000, 0x11);
    struct Case {
        const char* name;
        const std::vector<std::uint8_t>* bytes;
        std::string_view refusal; // empty: imported
    };
    const Case cases[] = {
        {"p.ton", &ton, {}},
        {"KICK.WAV", &wav, {}},
        {"p.txt", &ton, text::kUnknownFileKind},
        {"kick.ton", &wav, text::kNotRton},
        {"p.wav", &ton, text::kNotWave},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto doc = Target(TemplateKind::S550);
        ToneEditor e(doc);
        const auto t = Onto(e, std::nullopt, Group::RamA);
        auto st = ImportFile(e, *c.bytes, c.name, t, options, ui);
        EXPECT_EQ(st.ok(), c.refusal.empty());
        if (!st) {
            EXPECT_EQ(st.failure().text, c.refusal);
        }
        EXPECT_EQ(doc.image() != Target(TemplateKind::S550).image(), c.refusal.empty());
    }
}

TEST(ToneDragOut, WaveFilesFollowSaveWaveOptions) {
    auto doc = Source(TemplateKind::W30);
    const auto areas = ToneAreas::Read(doc);
    for (bool mrk : {false, true}) {
        WaveExportOptions o;
        o.mrk = mrk;
        auto files = ToneWaveFiles(doc, areas, kOriginal, o);
        ASSERT_TRUE(files) << files.failure().text;
        EXPECT_EQ(files->wav.name, "PIA_NO.wav");
        auto wave = BuildToneWave(doc, areas, kOriginal, o);
        EXPECT_EQ(files->wav.bytes, WaveFileBytes(*wave, o));
        EXPECT_EQ(files->mrk.has_value(), mrk);
        if (mrk) {
            EXPECT_EQ(files->mrk->name, "PIA_NO.MRK");
        }
    }
    auto rom = ToneWaveFiles(doc, areas, kRomTone, {});
    ASSERT_FALSE(rom);
    EXPECT_EQ(rom.failure().text, text::kRomHasNoWave);
}

} // namespace
} // namespace veldin::tone
