// Copy and Paste of tones compared with Save Tone + Load Tone on hand-placed images, the
// clipboard bytes that are refused, and the files a drop may bring.
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
        bool ontoOriginal; // the target's original in bank B, else bank B itself
        const char* name;
        std::size_t size;
    };
    const Case cases[] = {
        {TemplateKind::S550, TemplateKind::W30, kOriginal, false, "PIA_NO.ton", 6 + 3 * 128 + 3 * 18432},
        {TemplateKind::W30, TemplateKind::S50, kOriginal, false, "PIA_NO.ton", 6 + 3 * 128 + 3 * 18432},
        {TemplateKind::S550, TemplateKind::S330, kSubtone, true, "PIANO-1.ston", 134},
        {TemplateKind::W30, TemplateKind::S550, kRomTone, true, "ROMT.ston", 134},
        // An original pasted onto an original becomes its subtone, as a loaded ".ton" does.
        {TemplateKind::S550, TemplateKind::S550, kOriginal, true, "PIA_NO.ton", 6 + 3 * 128 + 3 * 18432},
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
        EXPECT_EQ(std::tuple(copied->bytes.size(), copied->name), std::tuple(c.size, c.name));

        auto pasted = Target(c.to), loaded = Target(c.to);
        const auto onto = c.ontoOriginal ? std::optional(ToneRef::Make(0, Area::Ram, 0)) : std::nullopt;
        ToneEditor pe(pasted), le(loaded);
        const auto pt = Onto(pe, onto, Group::RamB);
        const auto lt = Onto(le, onto, Group::RamB);
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
        EXPECT_EQ(test::Refused(PasteTone(e, bytes, t)).text, text::kClipboardDamaged);
        EXPECT_EQ(doc.image(), Target(TemplateKind::S550).image());
        EXPECT_TRUE(e.lastEvents().empty());
    }
    for (const Bytes& good : {ton, ston}) EXPECT_TRUE(ClipboardToneFile(good));
}

TEST(ToneDrop, FilesAreTakenWholeByTheirKind) {
    struct Case {
        std::vector<std::string> names;
        DropUse use;
    };
    const Case cases[] = {
        {{"A.WAV", "b.Ton", "c.ston"}, DropUse::Import},
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

} // namespace
} // namespace veldin::tone
