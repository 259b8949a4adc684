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
    struct Case {
        const char* typed;
        int stored;
    };
    for (auto c : {Case{"3", 3}, Case{"", 0}, Case{"255", 255}, Case{"256", 255}, Case{"99999999999999999999999", 255},
                   Case{"12a", 12}})
        EXPECT_EQ(IoRepeatFromTyped(c.typed), c.stored) << c.typed;
}

TEST(FloppyDeviceSettings, DefaultsAndStoredValues) {
    MemorySettingsStore store;
    auto s = LoadFloppyDeviceSettings(store);
    EXPECT_EQ(s.device(0), "/dev/fd0");
    EXPECT_EQ(s.device(1), "/dev/fd1");
    EXPECT_EQ(s.device(7), "/dev/fd0");
    EXPECT_EQ(s.formatCommandLine(DriveKind::Usb), DefaultFormatCommandLine(DriveKind::Usb));

    const auto put = [&](std::string_view name, std::string_view value) {
        const std::vector<std::uint8_t> bytes(value.begin(), value.end());
        ASSERT_TRUE(store.write("", name, RegType::Sz, bytes));
    };
    put(kDriveBDeviceValue, "/dev/sdc");
    put(kFormatCommandValue, "fdformat {device}");
    s = LoadFloppyDeviceSettings(store);
    EXPECT_EQ(s.device(0), "/dev/fd0");
    EXPECT_EQ(s.device(1), "/dev/sdc");
    EXPECT_EQ(s.formatCommandLine(DriveKind::Internal), "fdformat {device}");
    EXPECT_EQ(s.formatCommandLine(DriveKind::Usb), DefaultFormatCommandLine(DriveKind::Usb));
    EXPECT_EQ(s.formatCommandLine(DriveKind::File), DefaultFormatCommandLine(DriveKind::File));
    EXPECT_EQ(s.faultsOf(1), "");

    put(kFileFormatCommandValue, "sh fake.sh {device}");
    put(kDriveBFaultsValue, "17:always");
    s = LoadFloppyDeviceSettings(store);
    EXPECT_EQ(s.formatCommandLine(DriveKind::File), "sh fake.sh {device}");
    EXPECT_EQ(s.formatCommandLine(DriveKind::Internal), "fdformat {device}");
    EXPECT_EQ(s.faultsOf(1), "17:always");
    EXPECT_EQ(s.faultsOf(0), "");
}

TEST(RequesterSlot, OneRequesterAtATime) {
    RequesterSlot slot;
    EXPECT_TRUE(slot.accept(msg::kToneEditor, FloppyOperation::Read));
    EXPECT_FALSE(slot.accept(msg::kPatchEditor, FloppyOperation::Format));
    EXPECT_EQ(slot.requester(), msg::kToneEditor);
    EXPECT_EQ(slot.operation(), FloppyOperation::Read);
    slot.forget();
    EXPECT_FALSE(slot.requester().has_value());
    EXPECT_TRUE(slot.accept(msg::kPatchEditor, FloppyOperation::Format));
}

TEST(RequestedOperation, OnlyReadAndFormatAreRequested) {
    EXPECT_EQ(RequestedOperation(1040), FloppyOperation::Read);
    EXPECT_EQ(RequestedOperation(1042), FloppyOperation::Format);
    for (std::uint32_t other : {0u, 1u, 1041u, 1008u}) EXPECT_FALSE(RequestedOperation(other).has_value());
}

} // namespace
} // namespace veldin
