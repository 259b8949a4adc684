#include "frame/ui/QtUserInteraction.h"

#include <QMessageBox>
#include <cstdio>
#include <string>

namespace veldin::ui {

namespace {
QMessageBox::Icon ToQt(Icon icon) {
    switch (icon) {
    case Icon::Error: return QMessageBox::Critical;
    case Icon::Warning: return QMessageBox::Warning;
    case Icon::Information: return QMessageBox::Information;
    case Icon::Question: return QMessageBox::Question;
    case Icon::None: break;
    }
    return QMessageBox::NoIcon;
}

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
} // namespace

void QtUserInteraction::message(std::string_view text, std::string_view title, Icon icon) {
    QMessageBox box(ToQt(icon), Q(title), Q(text), QMessageBox::Ok, parent_);
    box.exec();
}

Answer QtUserInteraction::ask(std::string_view text, std::string_view title, Buttons buttons, Icon icon) {
    QMessageBox::StandardButtons b = QMessageBox::Ok;
    switch (buttons) {
    case Buttons::Ok: b = QMessageBox::Ok; break;
    case Buttons::YesNo: b = QMessageBox::Yes | QMessageBox::No; break;
    case Buttons::YesNoCancel: b = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel; break;
    case Buttons::RetryIgnoreAbort: b = QMessageBox::Retry | QMessageBox::Ignore | QMessageBox::Abort; break;
    }
    QMessageBox box(ToQt(icon), Q(title), Q(text), b, parent_);
    switch (box.exec()) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    case QMessageBox::Cancel: return Answer::Cancel;
    case QMessageBox::Retry: return Answer::Retry;
    case QMessageBox::Ignore: return Answer::Ignore;
    case QMessageBox::Abort: return Answer::Abort;
    default: return Answer::Ok;
    }
}

void StderrInteraction::message(std::string_view text, std::string_view title, Icon) {
    std::fprintf(stderr, "%s: %s\n", std::string(title).c_str(), std::string(text).c_str());
}

Answer StderrInteraction::ask(std::string_view text, std::string_view title, Buttons buttons, Icon icon) {
    message(text, title, icon);
    switch (buttons) {
    case Buttons::Ok: return Answer::Ok;
    case Buttons::YesNo: return Answer::No;
    case Buttons::YesNoCancel: return Answer::Cancel;
    case Buttons::RetryIgnoreAbort: return Answer::Abort;
    }
    return Answer::Cancel;
}

} // namespace veldin::ui
