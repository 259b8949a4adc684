#include <iostream>

#include "cli/Commands.h"

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    const veldin::cli::Args args(argv + 1, argv + argc);
    const int rc = veldin::cli::Main(args, std::cout, std::cerr);
    std::cout.flush();
    return rc;
}
