#pragma once
// The one narrow way in which logic reaches the user: fixed message boxes and questions.
// The GUI answers with dialogs, the command-line tool with options and standard error,
// the tests with scripted answers.

#include <string_view>

#include "core/Result.h"

namespace veldin {

enum class Buttons { Ok, YesNo, YesNoCancel, RetryIgnoreAbort };
enum class Answer { Ok, Yes, No, Cancel, Retry, Ignore, Abort };

class UserInteraction {
public:
    virtual ~UserInteraction() = default;
    virtual void message(std::string_view text, std::string_view title, Icon icon) = 0;
    virtual Answer ask(std::string_view text, std::string_view title, Buttons buttons, Icon icon) = 0;

    void report(const Failure& f, std::string_view title) { message(f.text, title, f.icon); }
};

} // namespace veldin
