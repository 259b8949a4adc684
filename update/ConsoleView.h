#pragma once
// The update's view and questions on a terminal: status lines are printed as they come
// (a detail line only when it says more than a percentage step), questions read y/n from
// the input or take a fixed answer.

#include <iosfwd>
#include <optional>

#include "core/UserInteraction.h"
#include "update/Interfaces.h"

namespace veldin::update {

class ConsoleView final : public UpdateView {
public:
    ConsoleView(std::ostream& out, bool verbose) : out_(out), verbose_(verbose) {}
    void status(std::string_view text) override;
    void detail(std::string_view text) override;
    void progress(int) override {}
    void addRow(const FetchRow& row) override;

private:
    std::ostream& out_;
    bool verbose_;
};

class ConsoleUi final : public UserInteraction {
public:
    // `fixed` answers every question without reading `in` (--yes / --no).
    ConsoleUi(std::istream& in, std::ostream& err, std::optional<Answer> fixed) : in_(in), err_(err), fixed_(fixed) {}
    void message(std::string_view text, std::string_view title, Icon icon) override;
    Answer ask(std::string_view text, std::string_view title, Buttons buttons, Icon icon) override;

private:
    std::istream& in_;
    std::ostream& err_;
    std::optional<Answer> fixed_;
};

// The fixed texts carry "\n\r" line breaks; a terminal wants "\n".
std::string PlainLines(std::string_view text);

} // namespace veldin::update
