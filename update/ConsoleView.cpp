#include "update/ConsoleView.h"

#include <istream>
#include <ostream>
#include <string>

namespace veldin::update {

std::string PlainLines(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((text[i] == '\n' || text[i] == '\r') && i + 1 < text.size() && (text[i + 1] == '\n' || text[i + 1] == '\r') &&
            text[i + 1] != text[i]) {
            out.push_back('\n');
            ++i;
        } else {
            out.push_back(text[i] == '\r' ? '\n' : text[i]);
        }
    }
    return out;
}

void ConsoleView::status(std::string_view text) { out_ << PlainLines(text) << '\n'; }

void ConsoleView::detail(std::string_view text) {
    if (verbose_) out_ << "  " << PlainLines(text) << '\n';
}

void ConsoleView::addRow(const FetchRow& row) {
    out_ << "fetch " << row.name << "  " << row.type << "  " << row.version << "  " << row.size << "  " << row.packed
         << '\n';
}

void ConsoleUi::message(std::string_view text, std::string_view title, Icon) {
    err_ << title << ": " << PlainLines(text) << '\n';
}

Answer ConsoleUi::ask(std::string_view text, std::string_view title, Buttons, Icon) {
    err_ << title << ": " << PlainLines(text) << " [y/N] ";
    if (fixed_) {
        err_ << (*fixed_ == Answer::Yes ? "y" : "n") << '\n';
        return *fixed_;
    }
    std::string line;
    if (!std::getline(in_, line)) {
        err_ << '\n';
        return Answer::No;
    }
    return (!line.empty() && (line[0] == 'y' || line[0] == 'Y')) ? Answer::Yes : Answer::No;
}

} // namespace veldin::update
