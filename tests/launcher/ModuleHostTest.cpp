// The module host's state machine and the launcher's side of the module messages, with
// module libraries made of plain functions.

#include <gtest/gtest.h>

#include <map>

#include "bus/FrameLink.h"
#include "launcher/ModuleHost.h"
#include "tests/support/TestSupport.h"

using namespace veldin;
using namespace veldin::launcher;
using namespace veldin::msg;

namespace {

// A module whose StartEd opens a "frame" (a FrameLink) and announces it, as a real one does.
struct FakeModule {
    std::unique_ptr<bus::FrameLink> frame;
    int closes = 0; // the frame's close event
    std::vector<std::string> opened;
    std::vector<std::pair<int, int>> moves;
    int closeEdCalls = 0;
    bus::Handle startedWith = 0;
    int osFamily = -1;
};
FakeModule g_tone, g_patch;

int ToneStart(bus::Handle launcher, int os) {
    g_tone.startedWith = launcher;
    g_tone.osFamily = os;
    bus::FrameEvents ev;
    ev.close = [] { ++g_tone.closes; };
    ev.openImage = [](const std::string& p) { g_tone.opened.push_back(p); };
    ev.launcherMoved = [](int x, int y) { g_tone.moves.emplace_back(x, y); };
    g_tone.frame = std::make_unique<bus::FrameLink>(kToneEditor, launcher, ev);
    g_tone.frame->announce();
    return 1;
}
int ToneClose(bus::Handle) {
    ++g_tone.closeEdCalls;
    g_tone.frame.reset(); // its destructor says goodbye
    return 1;
}

class FakeLibrary final : public ModuleLibrary {
public:
    explicit FakeLibrary(std::map<std::string, void*> symbols) : symbols_(std::move(symbols)) {}
    void* symbol(const char* name) override {
        auto it = symbols_.find(name);
        return it == symbols_.end() ? nullptr : it->second;
    }

private:
    std::map<std::string, void*> symbols_;
};

class FakeLoader final : public LibraryLoader {
public:
    std::map<std::string, std::map<std::string, void*>> libraries;
    std::vector<std::string> loads;
    std::unique_ptr<ModuleLibrary> load(std::string_view stem, std::string& why) override {
        loads.emplace_back(stem);
        auto it = libraries.find(std::string(stem));
        if (it == libraries.end()) {
            why = "no such file";
            return nullptr;
        }
        return std::make_unique<FakeLibrary>(it->second);
    }
};

class ModuleHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_tone = {};
        g_patch = {};
        loader.libraries["Quilla"] = {{kStartEd, reinterpret_cast<void*>(&ToneStart)},
                                      {kCloseEd, reinterpret_cast<void*>(&ToneClose)}};
    }
    void TearDown() override {
        g_tone.frame.reset();
        g_patch.frame.reset();
    }
    FakeLoader loader;
    test::ScriptedUi ui;
};

} // namespace

TEST_F(ModuleHostTest, StartRunsHandshakeAndDisablesButtonButNotWhileBusy) {
    ModuleHost host(loader, ui, 2);
    host.setBusy(true);
    host.pressButton(kToneButton);
    EXPECT_EQ(host.slotByCode(kToneEditor)->state, ModuleState::NotLoaded);
    EXPECT_TRUE(loader.loads.empty());
    host.setBusy(false);
    host.pressButton(kToneButton);
    const ModuleSlot* s = host.slotByCode(kToneEditor);
    EXPECT_EQ(s->state, ModuleState::Running);
    EXPECT_FALSE(s->buttonEnabled);
    EXPECT_EQ(s->window, g_tone.frame->window());
    EXPECT_EQ(std::pair(g_tone.startedWith, g_tone.osFamily), std::pair(host.window(), 2));
    EXPECT_EQ(g_tone.closes, 0); // the reply carried the handshake value
    EXPECT_TRUE(ui.shown().empty());
}

TEST_F(ModuleHostTest, AMissingLibraryOrOneWithoutStartEdFails) {
    {
        ModuleHost host(loader, ui, 2);
        host.pressButton(kMidiButton);
        const ModuleSlot* s = host.slotByCode(kMidiEditor);
        EXPECT_EQ(s->state, ModuleState::Failed);
        EXPECT_EQ(s->failure, "This module is not installed (no such file)");
        EXPECT_TRUE(s->buttonEnabled);
    }
    loader.libraries["Fennet"] = {{kCloseEd, reinterpret_cast<void*>(&ToneClose)}};
    ModuleHost host(loader, ui, 2);
    host.pressButton(kMidiButton);
    EXPECT_EQ(host.slotByCode(kMidiEditor)->state, ModuleState::Failed);
    EXPECT_FALSE(host.slotByCode(kMidiEditor)->buttonEnabled);
    host.pressButton(kMidiButton); // nothing while the button is disabled
    EXPECT_EQ(loader.loads.size(), 2u);
    ASSERT_EQ(ui.shown().size(), 2u);
    EXPECT_EQ(std::tuple(ui.shown()[0].text, ui.shown()[0].title, ui.shown()[0].icon),
              std::tuple(std::string(kNotInstalled), std::string("VELDIN"), Icon::Information));
    EXPECT_EQ(std::tuple(ui.shown()[1].text, ui.shown()[1].icon), std::tuple(std::string(kCouldntStart), Icon::Error));
}

TEST_F(ModuleHostTest, ClosedMessageEnablesButtonAndRestartReloads) {
    ModuleHost host(loader, ui, 2);
    int raised = 0;
    host.moduleClosed = [&] { ++raised; };
    host.pressButton(kToneButton);
    EXPECT_EQ(raised, 0);
    g_tone.frame.reset();
    EXPECT_EQ(raised, 1) << "the launcher comes to the front";
    const ModuleSlot* s = host.slotByCode(kToneEditor);
    EXPECT_EQ(s->state, ModuleState::Closed);
    EXPECT_TRUE(s->buttonEnabled);
    EXPECT_EQ(s->window, 0u);
    host.pressButton(kToneButton);
    EXPECT_EQ(loader.loads.size(), 2u);
    EXPECT_EQ(s->state, ModuleState::Running);
}

TEST_F(ModuleHostTest, WrongHandshakeValueClosesTheFrameAndPingsAreAnsweredWithTheirValue) {
    ModuleHost host(loader, ui, 2);
    host.pressButton(kToneButton);
    auto& bus = bus::MessageBus::instance();
    bus.send(g_tone.frame->window(), EDM_LAUNCHER_REPLY, LM_MODULE_HELLO, kHandshake + 1);
    EXPECT_EQ(g_tone.closes, 1);
    bus.send(g_tone.frame->window(), EDM_LAUNCHER_REPLY, LM_MODULE_HELLO, kHandshake);
    EXPECT_EQ(g_tone.closes, 1);
    // The answer 5 is not the handshake value, so the frame (answering a ping) closes:
    // that it does shows the ping's value came back.
    bus.send(host.window(), LM_MODULE_PING, kToneEditor, 5);
    EXPECT_EQ(g_tone.closes, 2);
    bus.send(host.window(), LM_MODULE_PING, kToneEditor, kHandshake);
    EXPECT_EQ(g_tone.closes, 2);
}

TEST_F(ModuleHostTest, CommandLineImageOpensOnceTheModuleAnnouncesItself) {
    ModuleHost host(loader, ui, 2);
    host.openFromCommandLine(kToneButton, "/images/a.s55");
    EXPECT_EQ(g_tone.opened, std::vector<std::string>{"/images/a.s55"});
    host.openFromCommandLine(kToneButton, "/images/b.s55"); // a running module gets it at once
    EXPECT_EQ(g_tone.opened, (std::vector<std::string>{"/images/a.s55", "/images/b.s55"}));
}

TEST_F(ModuleHostTest, MovesReachRunningModulesAndQuitClosesThem) {
    ModuleHost host(loader, ui, 2);
    host.pressButton(kToneButton);
    host.launcherMoved(100, 50);
    ASSERT_EQ(g_tone.moves.size(), 1u);
    EXPECT_EQ(g_tone.moves[0], std::make_pair(100, 50));
    host.closeAll();
    EXPECT_EQ(g_tone.closeEdCalls, 1);
    EXPECT_EQ(host.slotByCode(kToneEditor)->state, ModuleState::Closed);
    EXPECT_TRUE(host.slotByCode(kToneEditor)->buttonEnabled);

    // A module that starts later hears at once where the launcher stands now.
    host.launcherMoved(300, 120);
    g_tone.moves.clear();
    host.pressButton(kToneButton);
    ASSERT_EQ(g_tone.moves.size(), 1u);
    EXPECT_EQ(g_tone.moves[0], std::make_pair(300, 120));
}

TEST_F(ModuleHostTest, FloppyRequestsReachTheStagesAndResultsReachTheModule) {
    ModuleHost host(loader, ui, 2);
    std::vector<std::tuple<std::uint32_t, std::uint32_t, std::string>> requests;
    host.floppyRequested = [&](std::uint32_t m, std::uint32_t r, std::string p) { requests.emplace_back(m, r, p); };
    std::vector<std::pair<std::uint32_t, std::string>> tone, patch;
    std::vector<bool> toneBusy, patchBusy;
    const auto events = [](auto& results, auto& busy) {
        bus::FrameEvents ev;
        ev.floppyResult = [&results](std::uint32_t what, bus::Param r) {
            results.emplace_back(what, what == kFloppyRead && r ? std::string(reinterpret_cast<const char*>(r))
                                                                : std::to_string(r));
        };
        ev.floppyBusy = [&busy](bool b) { busy.push_back(b); };
        return ev;
    };
    // Both modules run; the Tone Editor is the first, whichever announced itself first.
    g_patch.frame = std::make_unique<bus::FrameLink>(kPatchEditor, host.window(), events(patch, patchBusy));
    g_patch.frame->announce();
    g_tone.frame = std::make_unique<bus::FrameLink>(kToneEditor, host.window(), events(tone, toneBusy));
    g_tone.frame->announce();

    {
        std::string path = "/images/a.s55";
        g_patch.frame->requestWrite(path);
        path = "changed after the send";
    }
    g_tone.frame->requestFloppy(kFloppyRead);
    g_tone.frame->requestFloppy(7); // not a floppy operation: passed on as it came
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0], std::make_tuple(std::uint32_t{kPatchEditor}, std::uint32_t{kFloppyWrite}, std::string("/images/a.s55")));
    EXPECT_EQ(requests[1], std::make_tuple(std::uint32_t{kToneEditor}, std::uint32_t{kFloppyRead}, std::string()));
    EXPECT_EQ(std::get<1>(requests[2]), 7u);
    EXPECT_TRUE(tone.empty() && patch.empty()) << "the stages answer, not the host";

    host.tellFloppyBusy(true);
    host.tellFloppyBusy(false);
    EXPECT_EQ(toneBusy, std::vector<bool>{true});
    EXPECT_TRUE(patchBusy.empty());
    ASSERT_EQ(tone.size(), 1u);
    EXPECT_EQ(tone[0], std::make_pair(std::uint32_t{kFloppyIdle}, std::string("1")));

    host.sendFloppyResult(kPatchEditor, kFloppyRead, 0, "/images/DEMO.s55");
    host.sendFloppyResult(kPatchEditor, kFloppyWrite, 1);
    host.sendFloppyResult(kMidiEditor, kFloppyWrite, 1); // not running: nothing sent
    ASSERT_EQ(patch.size(), 2u);
    EXPECT_EQ(patch[0], std::make_pair(std::uint32_t{kFloppyRead}, std::string("/images/DEMO.s55")));
    EXPECT_EQ(patch[1], std::make_pair(std::uint32_t{kFloppyWrite}, std::string("1")));
}

TEST_F(ModuleHostTest, FloppyRequestWithoutStagesIsAnsweredIdle) {
    ModuleHost host(loader, ui, 2);
    std::vector<std::pair<std::uint32_t, bus::Param>> results;
    bus::FrameEvents ev;
    ev.floppyResult = [&](std::uint32_t what, bus::Param r) { results.emplace_back(what, r); };
    g_tone.frame = std::make_unique<bus::FrameLink>(kToneEditor, host.window(), ev);
    g_tone.frame->announce();
    g_tone.frame->requestFloppy(kFloppyRead);
    g_tone.frame->requestWrite("/images/a.s55");
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(results[0], std::make_pair(std::uint32_t{kFloppyIdle}, bus::Param{1}));
}

TEST(FrameLinkTest, NullOpenImageIsIgnoredAndClosedIsSentOnceWithTheHandshakeValue) {
    int opened = 0;
    bus::FrameEvents ev;
    ev.openImage = [&](const std::string&) { ++opened; };
    bus::FrameLink lone(kToneEditor, 0, ev);
    EXPECT_EQ(bus::MessageBus::instance().send(lone.window(), EDM_OPEN_IMAGE, 0, 0), 0);
    EXPECT_EQ(opened, 0);
    lone.announce(); // to handle 0: nothing happens, nothing crashes
    EXPECT_FALSE(bus::MessageBus::instance().exists(0));

    std::vector<std::pair<bus::Param, bus::Param>> got;
    bus::Endpoint launcher([&](std::uint32_t m, bus::Param w, bus::Param l) {
        if (m == LM_MODULE_CLOSED) got.emplace_back(w, l);
        return bus::Param{0};
    });
    {
        bus::FrameLink link(kPatchEditor, launcher.handle(), {});
        link.sayClosed();
    }
    EXPECT_EQ(got, (std::vector<std::pair<bus::Param, bus::Param>>{{kPatchEditor, kHandshake}}));
}
