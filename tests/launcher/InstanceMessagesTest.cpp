// The messages between two launchers: any path a file can have arrives whole, whatever
// the pieces the socket delivers, and a malformed message stops the reading.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "launcher/InstanceMessages.h"
#include "launcher/ModuleHost.h"

namespace veldin::launcher {
namespace {

using Message = InstanceReader::Message;

std::vector<Message> ReadAll(const std::string& bytes, std::size_t piece, InstanceReader& r) {
    std::vector<Message> out;
    for (std::size_t i = 0; i < bytes.size(); i += piece) {
        r.feed(std::string_view(bytes).substr(i, piece));
        while (auto m = r.next()) out.push_back(*m);
    }
    return out;
}

TEST(InstanceMessages, PathsArriveWholeInPiecesOfAnySize) {
    const std::vector<OpenRequest> requests = {
        {kMidiButton, "/home/me/my songs/a b.sng"},
        {kToneButton, "/tmp/odd\nopen 57 /tmp/other.s55"},
        {kPatchButton, "/tmp/\r\n\t close\n"},
        {kToneButton, "/" + std::string(kMaxInstancePath - 1, 'x')},
        {kPatchButton, "/tmp/\xff\x80 \xc3\xa9"},
    };
    std::string stream;
    std::vector<Message> expected;
    for (const OpenRequest& r : requests) {
        stream += OpenMessage(r);
        expected.push_back({false, r});
    }
    stream += "close\n";
    expected.push_back({true, {0, {}}});
    for (std::size_t piece : {std::size_t{1}, std::size_t{7}, stream.size()}) {
        InstanceReader r;
        EXPECT_EQ(ReadAll(stream, piece, r), expected) << piece;
        EXPECT_FALSE(r.broken());
        EXPECT_EQ(r.consumed(), stream.size());
    }
}

TEST(InstanceMessages, MalformedMessagesAreRefusedAndNothingAfterThem) {
    const std::string good = OpenMessage({kToneButton, "/a.s55"});
    const std::string longest = OpenMessage({kToneButton, std::string(kMaxInstancePath, 'y')});
    const std::string tooLong = "open 56 " + std::to_string(kMaxInstancePath + 1) + "\n" +
                                std::string(kMaxInstancePath + 1, 'y') + "\n";
    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"old unframed line", "open 56 /x.s55\n"},
        {"CD Editor takes no images", "open 54 6\n/x.s55\n"},
        {"unknown word", "opem 56 6\n/x.s55\n"},
        {"no count", "open 56\n/x.s55\n"},
        {"empty path", "open 56 0\n\n"},
        {"leading zero", "open 56 06\n/x.s55\n"},
        {"signed count", "open 56 +6\n/x.s55\n"},
        {"count too short", "open 56 5\n/x.s55\n"},
        {"path too long", tooLong},
        {"NUL in the path", std::string("open 56 6\n/x\0.s5\n", 17)},
        {"header without end", std::string(40, 'o')},
        {"close with more", "close now\n"},
    };
    for (const Case& c : cases) {
        InstanceReader r;
        const std::vector<Message> got = ReadAll(good + c.bytes + good, 3, r);
        ASSERT_EQ(got.size(), 1u) << c.what;
        EXPECT_EQ(got[0].open.path, "/a.s55") << c.what;
        EXPECT_TRUE(r.broken()) << c.what;
        EXPECT_EQ(r.consumed(), good.size()) << c.what;
    }
    // The longest path is no fault; the first part of a message waits for the rest.
    InstanceReader r;
    EXPECT_EQ(ReadAll(longest, 4096, r).size(), 1u);
    r.feed(good.substr(0, good.size() - 1));
    EXPECT_FALSE(r.next());
    EXPECT_FALSE(r.broken());
}

} // namespace
} // namespace veldin::launcher
