// The formatter's command line, the floppy options and the requester rules.
#include <gtest/gtest.h>

#include "core/MemorySettingsStore.h"
#include "launcher/FloppyOptions.h"
#include "launcher/FloppyRequester.h"
#include "launcher/FormatCommand.h"

namespace veldin {
namespace {

using Steps = std::vector<CommandStep>;

TEST(ParseFormatCommand, StepsArgumentsAndQuotes) {
    struct Case {
        const char* line;
        Steps steps;
    };
    const Case cases[] = {
        {"superformat {device} dd", {{"superformat", "{device}", "dd"}}},
        {"  a\tb  ", {{"a", "b"}}},
        {"a && b c&&d", {{"a"}, {"b", "c&&d"}}},
        {"a '&&' b", {{"a", "&&", "b"}}},
        {"'my formatter' \"x \\\"y\\\" \\\\ \\n\"", {{"my formatter", "x \"y\" \\ \\n"}}},
        {"a\\ b \\&& c", {{"a b", "&&", "c"}}},
        {"x'y'\"z\"", {{"xyz"}}},
        {"a ''", {{"a", ""}}},
    };
    for (const auto& c : cases) {
        const auto parsed = ParseFormatCommand(c.line);
        ASSERT_TRUE(parsed.has_value()) << c.line;
        EXPECT_EQ(parsed->steps, c.steps) << c.line;
    }
}

TEST(ParseFormatCommand, RefusesBrokenLines) {
    for (const char* bad : {"", "   ", "&&", "a &&", "&& a", "a && && b", "'open", "\"open", "\"a\\\"", "a\\"})
        EXPECT_FALSE(ParseFormatCommand(bad).has_value()) << bad;
}

TEST(FormatCommand, DefaultsByDriveKindAndTheDevice) {
    EXPECT_EQ(ForDevice(DefaultFormatCommand(DriveKind::Internal), "/dev/fd0"),
              (Steps{{"superformat", "/dev/fd0", "dd"}}));
    EXPECT_EQ(ForDevice(DefaultFormatCommand(DriveKind::Usb), "/dev/sdc").size(), 2u);
    // Every placeholder, also inside an argument; a device path that holds the
    // placeholder itself is not expanded again.
    EXPECT_EQ(ForDevice(*ParseFormatCommand("f if={device},{device}"), "{device}x"),
              (Steps{{"f", "if={device}x,{device}x"}}));
}

TEST(IoRepeatFromTyped, HeldAt255NotWrapped) {
    for (auto [typed, stored] :
         {std::pair{"3", 3}, {"", 0}, {"255", 255}, {"256", 255}, {"99999999999999999999999", 255}, {"12a", 12}})
        EXPECT_EQ(IoRepeatFromTyped(typed), stored) << typed;
}

TEST(FloppyDeviceSettings, DefaultsAndStoredValues) {
    MemorySettingsStore store;
    const auto s = LoadFloppyDeviceSettings(store);
    EXPECT_EQ(s.device(7), "/dev/fd0");
    const auto put = [&](std::string_view name, std::string_view value) {
        ASSERT_TRUE(store.write("", name, RegType::Sz, std::vector<std::uint8_t>(value.begin(), value.end())));
    };
    put(kDriveBDeviceValue, "/dev/sdc");
    put(kFormatCommandValue, "fdformat {device}");
    put(kFileFormatCommandValue, "sh fake.sh {device}");
    put(kDriveBFaultsValue, "17:always");
    const auto stored = LoadFloppyDeviceSettings(store);
    for (const auto* t : {&s, &stored}) {
        const bool on = t == &stored;
        SCOPED_TRACE(on);
        EXPECT_EQ(t->device(0), "/dev/fd0");
        EXPECT_EQ(t->device(1), on ? "/dev/sdc" : "/dev/fd1");
        EXPECT_EQ(t->formatCommandLine(DriveKind::Internal),
                  on ? "fdformat {device}" : DefaultFormatCommandLine(DriveKind::Internal));
        EXPECT_EQ(t->formatCommandLine(DriveKind::File),
                  on ? "sh fake.sh {device}" : DefaultFormatCommandLine(DriveKind::File));
        EXPECT_EQ(t->formatCommandLine(DriveKind::Usb), DefaultFormatCommandLine(DriveKind::Usb));
        EXPECT_EQ(t->faultsOf(1), on ? "17:always" : "");
        EXPECT_EQ(t->faultsOf(0), "");
    }
}

TEST(RequesterSlot, OneRequesterAtATimeAndOnlyReadAndFormatAreRequested) {
    RequesterSlot slot;
    EXPECT_TRUE(slot.accept(msg::kToneEditor, FloppyOperation::Read));
    EXPECT_FALSE(slot.accept(msg::kPatchEditor, FloppyOperation::Format));
    EXPECT_EQ(slot.requester(), msg::kToneEditor);
    EXPECT_EQ(slot.operation(), FloppyOperation::Read);
    slot.forget();
    EXPECT_FALSE(slot.requester().has_value());
    EXPECT_TRUE(slot.accept(msg::kPatchEditor, FloppyOperation::Format));
    EXPECT_EQ(RequestedOperation(1040), FloppyOperation::Read);
    EXPECT_EQ(RequestedOperation(1042), FloppyOperation::Format);
    for (std::uint32_t other : {0u, 1u, 1041u, 1008u}) EXPECT_FALSE(RequestedOperation(other).has_value());
}

} // namespace
} // namespace veldin
