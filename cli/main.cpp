#include <iostream>

#include "cli/Commands.h"
#include "core/FileVersion.h"
#include "update/net/QtBackend.h"

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    const veldin::cli::Args args(argv + 1, argv + argc);
    if (args.size() == 1 && args[0] == "--version") {
        std::cout << "veldin-cli " << veldin::BuiltFileVersion() << '\n';
        return 0;
    }
    veldin::cli::SetUpdateBackendFactory(veldin::update::MakeQtBackend);
    const int rc = veldin::cli::Main(args, std::cout, std::cerr);
    std::cout.flush();
    return rc;
}
