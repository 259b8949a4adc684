#include <gtest/gtest.h>

#include "core/MemorySettingsStore.h"
#include "tests/cli/CliRun.h"
#include "tests/update/UpdateFakes.h"
#include "update/PackedFile.h"
#include "update/Publish.h"
#include "update/Backend.h"

namespace veldin::cli {
namespace {

namespace fs = std::filesystem;
using update::test::MapDownloader;

// A backend whose server is a folder made by the publisher, with no launcher running,
// and whose settings trust the publisher's key.
fs::path gServed;
std::string gTrustedKey;

class FolderBackend final : public update::UpdateBackend {
public:
    FolderBackend() {
        store_.write("", "Update Keys", RegType::Sz, {reinterpret_cast<const std::uint8_t*>(gTrustedKey.data()), gTrustedKey.size()});
    }
    SettingsStore& settings() override { return store_; }
    update::DesktopShell& shell() override { return shell_; }
    std::unique_ptr<update::Downloader> downloader(const update::ConnectionSettings&,
                                                   const update::DownloadOptions&) override {
        auto d = std::make_unique<MapDownloader>();
        if (!gServed.empty()) update::test::ServeFolder(*d, gServed);
        return d;
    }
    std::unique_ptr<update::LauncherControl> launcher(const fs::path&) override { return std::make_unique<NoLauncher>(); }

private:
    struct NoLauncher final : update::LauncherControl {
        bool running() override { return false; }
        bool requestClose() override { return false; }
        bool waitForExit(std::chrono::milliseconds) override { return true; }
        bool terminate() override { return false; }
    };
    MemorySettingsStore store_;
    update::test::RecordingShell shell_;
};

std::unique_ptr<update::UpdateBackend> MakeFolderBackend() { return std::make_unique<FolderBackend>(); }

std::vector<std::uint8_t> Bytes(std::string_view s) { return {s.begin(), s.end()}; }

TEST(CliUpdate, DryRunThenUpdateThenNothing) {
    test::TempDir dir;
    fs::create_directories(dir / "src");
    fs::create_directories(dir / "inst");
    test::WriteFile(dir / "src" / "veldin", Bytes(std::string("launcher VELDIN-FileVersion=1.0.0.2") + '\0'));
    const auto key = update::SigningKey::Generate();
    gTrustedKey = update::ToHex(key.publicKey());
    ASSERT_TRUE(update::Publish(dir / "src", dir / "srv", key).ok());
    gServed = dir / "srv";
    SetUpdateBackendFactory(MakeFolderBackend);
    const std::string inst = (dir / "inst").string();

    auto r = Cli({"update", "--server", "http://h/update/", "--dir", inst, "--dry-run"});
    EXPECT_EQ(r.rc, kOk) << r.err;
    EXPECT_NE(r.out.find("fetch  veldin  Normal    1.0.0.2                 not installed"), std::string::npos) << r.out;
    EXPECT_TRUE(fs::is_empty(dir / "inst"));

    r = Cli({"update", "--server", "http://h/update/", "--dir", inst});
    EXPECT_EQ(r.rc, kOk) << r.err;
    EXPECT_NE(r.out.find("1 updated, 0 failed, 0 up to date"), std::string::npos) << r.out;
    EXPECT_EQ(test::ReadFile(dir / "inst" / "veldin"), test::ReadFile(dir / "src" / "veldin"));

    r = Cli({"update", "--server", "http://h/update/", "--dir", inst, "--dry-run"});
    EXPECT_NE(r.out.find("keep   veldin  Normal    1.0.0.2                 installed 1.0.0.2 is current"), std::string::npos)
        << r.out;
    gServed.clear();
    SetUpdateBackendFactory(nullptr);
}

TEST(CliUpdate, UsageAndMissingBackend) {
    for (const Args& args : {Args{"update", "--server", "http://h/"}, Args{"update", "--dir", "/tmp"},
                             Args{"update", "--server", "http://h/", "--dir", "/tmp", "--bogus"}, Args{"update", "--server"}})
        EXPECT_EQ(Cli(args).rc, kUsage);
    SetUpdateBackendFactory(nullptr);
    const auto r = Cli({"update", "--server", "http://h/", "--dir", "/tmp"});
    EXPECT_EQ(r.rc, kRefused);
    EXPECT_NE(r.err.find("no network support"), std::string::npos);
}

TEST(CliUnpack, BothFormsAndRefusals) {
    test::TempDir dir;
    const auto data = Bytes("unpack me, unpack me, unpack me please");
    for (auto form : {update::PackedForm::Short, update::PackedForm::Safe}) {
        test::WriteFile(dir / "f.tx_", update::PackFile(data, form));
        const auto r = Cli({"unpack", (dir / "f.tx_").string(), (dir / "f.txt").string()});
        EXPECT_EQ(r.rc, kOk) << r.err;
        EXPECT_EQ(test::ReadFile(dir / "f.txt"), data);
        EXPECT_NE(r.out.find(form == update::PackedForm::Safe ? "CRCs checked" : "8-byte header"), std::string::npos);
    }
    test::WriteFile(dir / "old.txt", Bytes("old"));
    test::WriteFile(dir / "plain.tx_", Bytes("just text"));
    auto r = Cli({"unpack", (dir / "plain.tx_").string(), (dir / "old.txt").string()});
    EXPECT_EQ(r.rc, kRefused);
    EXPECT_EQ(r.err, "veldin-cli: This file has not been compressed by aPPack\n");
    EXPECT_EQ(test::ReadFile(dir / "old.txt"), Bytes("old"));

    auto damaged = update::PackFile(data);
    damaged.resize(damaged.size() - 2);
    test::WriteFile(dir / "bad.tx_", damaged);
    r = Cli({"unpack", (dir / "bad.tx_").string(), (dir / "old.txt").string()});
    EXPECT_EQ(r.rc, kRefused);
    EXPECT_EQ(test::ReadFile(dir / "old.txt"), Bytes("old"));

    EXPECT_EQ(Cli({"unpack", (dir / "missing").string(), (dir / "x").string()}).rc, kRefused);
    EXPECT_EQ(Cli({"unpack", "one"}).rc, kUsage);
}

} // namespace
} // namespace veldin::cli
