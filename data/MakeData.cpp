// Writes the generated data files into a folder: veldin-mkdata OUTDIR [--demo DIR]
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "data/Templates.h"

namespace {

bool WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) std::cerr << "veldin-mkdata: cannot write " << path << '\n';
    return static_cast<bool>(out);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2 && !(argc == 4 && std::string(argv[2]) == "--demo")) {
        std::cerr << "Usage: veldin-mkdata OUTDIR [--demo DEMODIR]\n";
        return 2;
    }
    namespace fs = std::filesystem;
    const fs::path out = argv[1];
    fs::create_directories(out);
    bool ok = true;
    for (const auto& t : veldin::data::kTemplates)
        ok &= WriteFile(out / t.fileName, veldin::data::BuildTemplate(t.kind));
    ok &= WriteFile(out / "default.ston", veldin::data::BuildDefaultSton());
    if (argc == 4) {
        const fs::path demo = argv[3];
        fs::create_directories(demo);
        for (const auto& d : veldin::data::BuildDemoImages()) ok &= WriteFile(demo / d.fileName, d.bytes);
    }
    return ok ? 0 : 1;
}
