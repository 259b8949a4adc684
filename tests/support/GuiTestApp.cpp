#include "tests/support/GuiTestApp.h"

#include <gtest/gtest.h>

#include <memory>
#include <span>
#include <string>

#include "core/ModuleSettings.h"
#include "platform/QtSettingsStore.h"
#include "tests/support/TestSupport.h"

namespace veldin::test {
namespace {

std::unique_ptr<TempDir> g_runDir;

std::span<const std::uint8_t> AsBytes(const std::string& s) {
    return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

class GuiAppEnvironment final : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "veldin_gui_test";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<QApplication>(argc, argv);
        g_runDir = std::make_unique<TempDir>();
        QtSettingsStore store(GuiSettingsFile().string());
        ScriptedUi quiet;
        store.write("", "Main Path", RegType::Sz, AsBytes(BinDir().string()));
        store.write("", "SDK Path", RegType::Sz, AsBytes((BinDir() / "demo").string()));
        // The Tone and Patch Editors set up as after their first start, so that no test meets the
        // first-start preferences unless it asks for them.
        ToneEditorSettings tone;
        ASSERT_TRUE(SetToneEditorFirstStart(tone, g_runDir->path()).ok());
        SaveSettings(store, kToneEditorKey, ToneEditorTable(), StorageOf(tone), quiet, "Tone Editor");
        PatchEditorSettings patch;
        ASSERT_TRUE(SetPatchEditorFirstStart(patch, g_runDir->path()).ok());
        SaveSettings(store, kPatchEditorKey, PatchEditorTable(), StorageOf(patch), quiet, "Patch Editor");
        ASSERT_TRUE(store.sync());
        qputenv("VELDIN_SETTINGS", QByteArray::fromStdString(GuiSettingsFile().string()));
    }
    void TearDown() override {
        app_.reset();
        g_runDir.reset();
    }

private:
    std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] ::testing::Environment* const g_env =
    ::testing::AddGlobalTestEnvironment(new GuiAppEnvironment);

} // namespace

std::filesystem::path GuiRunDir() { return g_runDir->path(); }
std::filesystem::path GuiSettingsFile() { return g_runDir->path() / "settings.conf"; }

} // namespace veldin::test
