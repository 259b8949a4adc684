#include "frame/ui/AboutDialog.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QMouseEvent>
#include <QUrl>
#include <QVBoxLayout>

namespace veldin::ui {

LinkLabel::LinkLabel(const QString& url, QWidget* parent) : QLabel(url, parent), url_(url) {
    setObjectName(QStringLiteral("ctl1003"));
    setCursor(Qt::PointingHandCursor);
    setTextFormat(Qt::PlainText);
    paintState();
}

void LinkLabel::paintState() {
    QPalette p = palette();
    p.setColor(QPalette::WindowText, hovered_ ? QColor(0, 0, 255) : parentWidget() ? parentWidget()->palette().color(QPalette::WindowText) : QColor(Qt::black));
    setPalette(p);
    QFont f = font();
    f.setUnderline(hovered_);
    setFont(f);
}

void LinkLabel::enterEvent(QEnterEvent* e) {
    hovered_ = true;
    paintState();
    QLabel::enterEvent(e);
}

void LinkLabel::leaveEvent(QEvent* e) {
    hovered_ = false;
    paintState();
    QLabel::leaveEvent(e);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint())) QDesktopServices::openUrl(QUrl(url_));
    QLabel::mouseReleaseEvent(e);
}

AboutDialog::AboutDialog(const QPixmap& icon, const QString& headline, const QString& version, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("about"));
    setWindowTitle(QStringLiteral("About"));
    auto* layout = new QVBoxLayout(this);
    auto* box = new QGroupBox(QStringLiteral("VELDIN — sound manager for the Roland S-50, S-330, S-550 and W-30"), this);
    auto* grid = new QGridLayout(box);
    auto* picture = new QLabel(box);
    picture->setObjectName(QStringLiteral("ctl1001"));
    picture->setPixmap(icon);
    grid->addWidget(picture, 0, 0, 3, 1, Qt::AlignTop);
    auto* title = new QLabel(headline, box);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    grid->addWidget(title, 0, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Build:"), box), 1, 1);
    auto* build = new QLabel(version, box);
    build->setObjectName(QStringLiteral("ctl1000"));
    build->setTextInteractionFlags(Qt::TextSelectableByMouse);
    grid->addWidget(build, 1, 2);
    grid->addWidget(new LinkLabel(QString::fromLatin1(kHomePage), box), 2, 1, 1, 2);
    grid->setColumnStretch(2, 1);
    layout->addWidget(box);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

} // namespace veldin::ui
