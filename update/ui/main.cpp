// The update client: its window, or with --console the terminal.
#include "update/ui/UpdateClient.h"

int main(int argc, char** argv) { return veldin::update::UpdateProgramMain(argc, argv); }
