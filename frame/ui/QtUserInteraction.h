#pragma once
// Message boxes and questions with exactly the given text, title and icon.

#include <QWidget>

#include "core/UserInteraction.h"

namespace veldin::ui {

class QtUserInteraction final : public UserInteraction {
public:
    explicit QtUserInteraction(QWidget* parent = nullptr) : parent_(parent) {}
    void message(std::string_view text, std::string_view title, Icon icon) override;
    Answer ask(std::string_view text, std::string_view title, Buttons buttons, Icon icon) override;

private:
    QWidget* parent_;
};

// Headless runs (screenshots): messages go to standard error, questions get their
// safest answer (No, Cancel, Abort), so nothing waits for a person.
class StderrInteraction final : public UserInteraction {
public:
    void message(std::string_view text, std::string_view title, Icon icon) override;
    Answer ask(std::string_view text, std::string_view title, Buttons buttons, Icon icon) override;
};

} // namespace veldin::ui
