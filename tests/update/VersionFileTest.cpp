#include <gtest/gtest.h>

#include "core/Bytes.h"
#include "core/FileVersion.h"
#include "tests/support/TestSupport.h"
#include "update/Decision.h"
#include "update/FileVersion.h"
#include "update/SafeName.h"
#include "update/UpdateMessages.h"
#include "update/VersionFile.h"

namespace veldin::update {
namespace {

// One entry laid out by hand, independent of WriteVersionFile.
void AddEntry(std::vector<std::uint8_t>& f, std::uint32_t kind, std::uint32_t low, std::uint32_t high,
              std::string_view suffix4, std::string_view name) {
    std::uint8_t h[32] = {};
    WriteLe32(kind, std::span(h).subspan(4));
    WriteLe32(low, std::span(h).subspan(8));
    WriteLe32(high, std::span(h).subspan(12));
    WriteLe32(1000, std::span(h).subspan(16));
    WriteLe32(400, std::span(h).subspan(20));
    for (std::size_t i = 0; i < 4; ++i) h[24 + i] = static_cast<std::uint8_t>(suffix4[i]);
    WriteLe32(static_cast<std::uint32_t>(name.size()), std::span(h).subspan(28));
    f.insert(f.end(), h, h + 32);
    f.insert(f.end(), name.begin(), name.end());
    f[12]++; // entry count
}

std::vector<std::uint8_t> Header() {
    std::vector<std::uint8_t> f = {'D', 'P', 'U', 'O', 9, 9, 9, 9, 9, 9, 9, 9, 0, 0, 0, 0};
    return f;
}

TEST(VersionFile, ReadsEntriesAndNames) {
    auto f = Header();
    AddEntry(f, 1, 0x00020003, 0x00010000, std::string_view(".exe", 4), "veldin");
    AddEntry(f, 0, 0, 0, std::string_view(".txt", 4), "readme");
    AddEntry(f, 7, 0, 0, std::string_view(".dll", 4), "future");
    AddEntry(f, 3, 0, 0, std::string_view("ab\0\0", 4), "");
    auto v = ParseVersionFile(f);
    ASSERT_TRUE(v.ok());
    ASSERT_EQ(v->entries.size(), 4u);
    const Entry& e = v->entries[0];
    EXPECT_EQ(EntryForName("veldin.exe").name, e.name); // the split the publisher makes
    EXPECT_EQ(e.fullName(), "veldin.exe");
    EXPECT_EQ(PackedName(e.fullName()), "veldin.ex_");
    EXPECT_EQ(e.version.toString(), "1.0.2.3");
    EXPECT_EQ(e.size, 1000u);
    EXPECT_EQ(e.packedSize, 400u);
    EXPECT_EQ(KindName(e.kind), "Normal");
    EXPECT_EQ(PackedName(v->entries[1].fullName()), "readme.tx_");
    EXPECT_FALSE(v->entries[2].knownKind());
    EXPECT_EQ(KindName(v->entries[2].kind), "");
    EXPECT_EQ(v->entries[3].fullName(), "ab"); // the suffix ends at its first NUL
    // Written again, the bytes are the same.
    EXPECT_EQ(WriteVersionFile(*v), f);
}

TEST(VersionFile, RefusedAsCorrupted) {
    auto good = Header();
    AddEntry(good, 0, 0, 0, std::string_view(".exe", 4), "veldin");
    std::vector<std::vector<std::uint8_t>> bad;
    auto magic = good;
    magic[3] = 'X';
    bad.push_back(magic);
    for (std::size_t cut : {std::size_t{0}, std::size_t{3}, std::size_t{15}, std::size_t{16}, std::size_t{47}, std::size_t{48}, good.size() - 1}) bad.emplace_back(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(cut));
    auto moreCounted = good;
    moreCounted[12] = 2;
    bad.push_back(moreCounted);
    auto hugeName = good;
    WriteLe32(0xFFFFFFF0u, std::span(hugeName).subspan(16 + 28));
    bad.push_back(hugeName);
    for (const auto& f : bad) {
        auto v = ParseVersionFile(f);
        ASSERT_FALSE(v.ok()) << f.size();
        EXPECT_EQ(v.failure().text, text::kDetailsCorrupted);
    }
}

TEST(FileVersion, ParsesOnlyFourParts) {
    EXPECT_EQ(ParseVersion("1.2.3.4"), FileVersion::FromParts(1, 2, 3, 4));
    EXPECT_EQ(ParseVersion("65535.0.300.9")->toString(), "65535.0.300.9");
    for (std::string_view bad : {"", "1.2.3", "1.2.3.4.5", "1.2.3.65536", "1..2.3", "a.b.c.d", "1.2.3.4 ", "-1.2.3.4", "+1.2.3.4"})
        EXPECT_FALSE(ParseVersion(bad).has_value()) << bad;
}

TEST(FileVersion, FoundInBytesPastBrokenMarkers) {
    std::string bytes = std::string("junk") + std::string(kVersionMarker) + '\0' + "more" + std::string(kVersionMarker) +
                        "1.x" + '\0' + std::string(kVersionMarker) + "2.5.7.11" + '\0' + "tail";
    const std::vector<std::uint8_t> v(bytes.begin(), bytes.end());
    EXPECT_EQ(FindFileVersion(v), FileVersion::FromParts(2, 5, 7, 11));
    EXPECT_FALSE(FindFileVersion(std::span(v).first(v.size() - 10)).has_value()); // NUL cut off
}

TEST(FileVersion, FoundAcrossTheReadersPieces) {
    veldin::test::TempDir dir;
    const std::string marker = std::string(kVersionMarker) + "3.1.4.1" + '\0';
    for (std::size_t at : {std::size_t{0}, (std::size_t{1} << 20) - 10, (std::size_t{1} << 20) + 5, std::size_t{3} << 20}) {
        std::vector<std::uint8_t> file(at + marker.size() + 100, 0x5A);
        std::copy(marker.begin(), marker.end(), file.begin() + static_cast<std::ptrdiff_t>(at));
        veldin::test::WriteFile(dir / "f", file);
        EXPECT_EQ(ReadFileVersion(dir / "f"), FileVersion::FromParts(3, 1, 4, 1)) << at;
    }
    veldin::test::WriteFile(dir / "plain", std::vector<std::uint8_t>(5000, 1));
    EXPECT_FALSE(ReadFileVersion(dir / "plain").has_value());
    EXPECT_FALSE(ReadFileVersion(dir / "missing").has_value());
}

// The deliverables carry the version that the build stamped, and the reader finds it
// although the reader's own marker text is in the same program.
TEST(FileVersion, StampedIntoTheDeliverables) {
    const auto built = ParseVersion(BuiltFileVersion());
    ASSERT_TRUE(built.has_value()) << BuiltFileVersion();
    for (const char* program : {"veldin-cli", "veldin-publish", "update"})
        EXPECT_EQ(ReadFileVersion(veldin::test::BinDir() / program), built) << program;
}

// Only a "Normal" file compares versions (the high word first); the other kinds are always
// fetched, an unknown kind never.
TEST(Decision, ByKindAndInstalledVersion) {
    const auto v = FileVersion::FromParts(1, 2, 3, 4);
    const auto fetch = [](EntryKind kind, FileVersion offered, Installed installed) {
        Entry e = EntryForName("veldin.exe");
        e.kind = static_cast<std::uint32_t>(kind);
        e.version = offered;
        return Decide(e, installed).fetch;
    };
    EXPECT_FALSE(fetch(EntryKind::Normal, v, {true, v}));                                 // equal
    EXPECT_TRUE(fetch(EntryKind::Normal, FileVersion::FromParts(1, 2, 3, 5), {true, v}));  // higher low word
    EXPECT_TRUE(fetch(EntryKind::Normal, FileVersion::FromParts(1, 3, 0, 0), {true, v}));  // higher high word
    EXPECT_FALSE(fetch(EntryKind::Normal, FileVersion::FromParts(1, 2, 3, 3), {true, v})); // older offered
    EXPECT_FALSE(fetch(EntryKind::Normal, FileVersion::FromParts(1, 1, 9, 9), {true, v})); // high word first
    EXPECT_TRUE(fetch(EntryKind::Normal, v, {true, std::nullopt}));                        // no version
    EXPECT_TRUE(fetch(EntryKind::Normal, v, {false, std::nullopt}));                       // not installed
    for (EntryKind always : {EntryKind::Forced, EntryKind::Registry, EntryKind::Launch})
        EXPECT_TRUE(fetch(always, v, {true, v})) << static_cast<int>(always);
    EXPECT_FALSE(fetch(static_cast<EntryKind>(4), v, {false, std::nullopt}));
    Entry plain = EntryForName("veldin.exe");
    plain.kind = 1;
    EXPECT_EQ(Decide(plain, {true, std::nullopt}).why, "installed file carries no version");
}

TEST(SafeName, OnlyPlainNames) {
    for (std::string_view ok : {"veldin.exe", "veldin.ex_", "libQuilla.so", "a", "x.y", "Read Me.txt"})
        EXPECT_TRUE(IsSafeFileName(ok)) << ok;
    const std::string_view nul("a\0b", 3);
    for (std::string_view bad : {std::string_view(""), std::string_view("."), std::string_view(".."),
                                 std::string_view("../veldin"), std::string_view("a/b"), std::string_view("a\\b"),
                                 std::string_view("/etc/passwd"), std::string_view("C:evil"), std::string_view("C:\\x"),
                                 std::string_view("x..y"), std::string_view("sub/"), nul, std::string_view("tab\there")})
        EXPECT_FALSE(IsSafeFileName(bad)) << bad;
}

} // namespace
} // namespace veldin::update
