#include "launcher/ui/FloppyWorker.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace veldin::launcher {

namespace {
QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
} // namespace

void FloppyWorker::run(std::function<void()> job, std::function<void()> done) {
    if (thread_.joinable()) thread_.join();
    finished_ = false;
    QPointer<QObject> window(window_);
    thread_ = std::thread([this, job = std::move(job), done = std::move(done), window] {
        job();
        finished_ = true;
        if (abandoned_ || !window) return;
        QMetaObject::invokeMethod(
            window_,
            [this, done] {
                if (thread_.joinable()) thread_.join();
                done();
            },
            Qt::QueuedConnection);
    });
}

void FloppyWorker::abandon() {
    abandoned_ = true;
    if (thread_.joinable()) thread_.join();
}

void WorkerInteraction::message(std::string_view text, std::string_view title, Icon icon) {
    const std::string t(text), ti(title);
    worker_.onGui<bool>(
        [this, t, ti, icon](std::function<void(bool)> reply) {
            gui_.message(t, ti, icon);
            reply(true);
        },
        true);
}

Answer WorkerInteraction::ask(std::string_view text, std::string_view title, veldin::Buttons buttons, Icon icon) {
    const std::string t(text), ti(title);
    if (buttons != veldin::Buttons::RetryIgnoreAbort) {
        return worker_.onGui<Answer>(
            [this, t, ti, buttons, icon](std::function<void(Answer)> reply) { reply(gui_.ask(t, ti, buttons, icon)); },
            Answer::Cancel);
    }
    // The dialog's title is the question; the program's name is not shown on it.
    return worker_.onGui<Answer>(
        [this, t](std::function<void(Answer)> reply) {
            auto* d = new SectorInvalidDialog(t, control_, window_);
            d->setAttribute(Qt::WA_DeleteOnClose);
            QObject::connect(d, &QDialog::finished, d, [d, reply] { reply(d->answer()); });
            d->open();
        },
        Answer::Abort);
}

SectorInvalidDialog::SectorInvalidDialog(std::string_view title, SectorLoopControl& control, QWidget* parent)
    : QDialog(parent), control_(control) {
    setObjectName(QStringLiteral("SectorInvalid"));
    setWindowTitle(Q(title));
    setAccessibleName(Q(title));
    setWindowModality(Qt::WindowModal);

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("ctl1001"));
    icon->setAccessibleName(QStringLiteral("Bad sector"));
    const int side = fontMetrics().height() * 2;
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(side, side));

    const auto button = [this](int id, const char* label, Answer a) {
        auto* b = new QPushButton(QString::fromLatin1(label), this);
        b->setObjectName(QStringLiteral("ctl%1").arg(id));
        b->setAccessibleName(b->text());
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, [this, a] { answerWith(a); });
        return b;
    };
    QPushButton* retry = button(2003, "Retry", Answer::Retry);
    QPushButton* ignore = button(2004, "Ignore", Answer::Ignore);
    QPushButton* abort = button(2005, "Abort operation", Answer::Abort);
    retry->setDefault(true);

    autoIgnore_ = new QCheckBox(QStringLiteral("Automatically ignore bad sectors"), this);
    autoIgnore_->setObjectName(QStringLiteral("ctl2006"));
    autoIgnore_->setAccessibleName(autoIgnore_->text());
    autoIgnore_->setChecked(control_.autoIgnore.load());
    // Each click sets the flag at once, whatever is answered afterwards.
    connect(autoIgnore_, &QCheckBox::toggled, this, [this](bool on) { control_.autoIgnore.store(on); });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(retry);
    buttons->addWidget(ignore);
    buttons->addWidget(abort);
    auto* right = new QVBoxLayout;
    right->addLayout(buttons);
    right->addWidget(autoIgnore_);
    auto* all = new QHBoxLayout(this);
    all->addWidget(icon, 0, Qt::AlignTop);
    all->addLayout(right);
    setLayout(all);
    setSizeGripEnabled(false);
}

void SectorInvalidDialog::answerWith(Answer a) {
    answer_ = a;
    if (a == Answer::Abort) control_.autoIgnore.store(false);
    done(a == Answer::Abort ? 0 : 1);
}

void SectorInvalidDialog::reject() { answerWith(Answer::Abort); }

} // namespace veldin::launcher
