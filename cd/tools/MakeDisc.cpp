// Writes a synthetic Roland sample disc: veldin-mkdisc [--small] OUT.iso|OUT.bin|OUT.img
// ".bin" and ".img" get raw 2,352-byte Mode 1 sectors, anything else 2,048-byte sectors.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "cd/RawSector.h"
#include "cd/SoundAreaExport.h"
#include "cd/SyntheticDisc.h"

int main(int argc, char** argv) {
    using namespace veldin::cd;
    DiscSize size = DiscSize::Full;
    std::string out;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--small")
            size = DiscSize::Small;
        else if (a == "--help" || a == "-h" || a.starts_with("-") || !out.empty()) {
            std::cerr << "Usage: veldin-mkdisc [--small] OUT.iso|OUT.bin|OUT.img\n"
                         "Writes a synthetic Roland sample disc image (.bin/.img: raw 2,352-byte sectors).\n";
            return a == "--help" || a == "-h" ? 0 : 2;
        } else
            out = a;
    }
    if (out.empty()) {
        std::cerr << "Usage: veldin-mkdisc [--small] OUT.iso|OUT.bin|OUT.img\n";
        return 2;
    }
    const SyntheticDisc disc = BuildSyntheticDisc(size);
    const auto ext = std::filesystem::path(out).extension();
    const bool raw = ext == ".bin" || ext == ".img";
    const auto bytes = raw ? ToRawImage(disc.iso) : disc.iso;
    if (auto st = WriteFileAtomically(out, bytes); !st) {
        std::cerr << "veldin-mkdisc: cannot write " << out << '\n';
        return 1;
    }
    return 0;
}
