#pragma once
// The About box of the launcher and of every editor module: an icon, the program's
// headline, "Build:" with the file version, the product name around them, and the web
// address as a link that turns blue under the mouse and opens in the browser.

#include <QDialog>
#include <QLabel>
#include <QPixmap>

namespace veldin::ui {

inline constexpr const char* kHomePage = "https://veldin.example.org/";

class LinkLabel final : public QLabel {
public:
    LinkLabel(const QString& url, QWidget* parent);
    bool hovered() const { return hovered_; }

protected:
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    void paintState();
    QString url_;
    bool hovered_ = false;
};

class AboutDialog final : public QDialog {
public:
    // `headline`: "Tone Editor Module"; `version`: "A.B.C.D" (control 1000).
    AboutDialog(const QPixmap& icon, const QString& headline, const QString& version, QWidget* parent);
};

} // namespace veldin::ui
