#pragma once
// Whether a standard stream is a terminal: the command-line tool draws a progress bar
// and asks questions only then.

namespace veldin {

enum class StandardStream { In, Out, Err };

bool IsTerminal(StandardStream stream);

} // namespace veldin
