#include <iostream>

#include "cli/Commands.h"
#include "cli/ToneCommands.h"

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    if (argc > 0) veldin::cli::SetProgramPath(argv[0]);
    const veldin::cli::Args args(argv + 1, argv + argc);
    const int rc = veldin::cli::Main(args, std::cout, std::cerr);
    std::cout.flush();
    return rc;
}
