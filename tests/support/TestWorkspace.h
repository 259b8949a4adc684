#pragma once
// A workspace of its own for each test: a main directory holding copies of the generated
// templates, a temporary folder, a folder for images, and a generator from the module seed.

#include <algorithm>
#include <filesystem>
#include <string>

#include "core/MinStdRandom.h"
#include "core/UndoStore.h"
#include "tests/support/TestSupport.h"

namespace veldin::test {

class TestWorkspace {
public:
    explicit TestWorkspace(os::FileOps& files = os::SystemFileOps())
        : ws{files, main.path(), temp.path(), random} {
        for (const char* name : {"W30.dat", "S50.dat", "S330.dat", "S550.dat", "W30S.dat"})
            std::filesystem::copy_file(BinDir() / name, main / name);
    }

    // A copy of a generated demo image ("demo.s55") in the images folder.
    std::filesystem::path demo(const std::string& name, const std::string& as = "") const {
        const auto target = images / (as.empty() ? name : as);
        std::filesystem::copy_file(DemoImage(name), target, std::filesystem::copy_options::overwrite_existing);
        return target;
    }

    // Entries of a folder, by name.
    static std::vector<std::string> Entries(const std::filesystem::path& dir) {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir)) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    std::vector<std::string> sessionFiles() const {
        std::vector<std::string> out;
        for (auto& n : Entries(main.path()))
            if (n.starts_with("VDN")) out.push_back(n);
        return out;
    }

    // What Save As to another family must write: the target's template, then the source's
    // bytes from sector 126 on; for the S-50 the second half of sectors 126-133 is zero.
    static std::vector<std::uint8_t> CrossFamilyCopy(const std::vector<std::uint8_t>& targetTemplate,
                                                     const std::vector<std::uint8_t>& source, bool toS50) {
        std::vector<std::uint8_t> out = targetTemplate;
        for (std::size_t i = out.size(); i < source.size(); ++i)
            out.push_back(toS50 && i < 134 * 512 && i % 512 >= 256 ? 0 : source[i]);
        return out;
    }

    TempDir main, temp, images;
    MinStdRandom random;
    Workspace ws;
};

} // namespace veldin::test
