#include "platform/Terminal.h"

#include <unistd.h>

namespace veldin {

bool IsTerminal(StandardStream stream) {
    switch (stream) {
    case StandardStream::In: return ::isatty(STDIN_FILENO) == 1;
    case StandardStream::Out: return ::isatty(STDOUT_FILENO) == 1;
    case StandardStream::Err: return ::isatty(STDERR_FILENO) == 1;
    }
    return false;
}

} // namespace veldin
