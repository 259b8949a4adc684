#pragma once
// Checks that every window test makes of its widgets: no label's text is cut, and every
// control carries an accessible name.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QGroupBox>
#include <QLabel>

namespace veldin::test {

// Every one-line label below `root` that shows a text is as wide and as high as it.
inline void ExpectLabelsFit(const QWidget* root) {
    const QFontMetrics fm(root->font());
    for (QLabel* l : root->findChildren<QLabel*>()) {
        if (l->wordWrap() || l->text().isEmpty() || !l->isVisible()) continue;
        EXPECT_LE(fm.horizontalAdvance(l->text()), l->contentsRect().width()) << l->text().toStdString();
        EXPECT_LE(fm.height(), l->contentsRect().height()) << l->text().toStdString();
    }
}

// Buttons (hidden ones too: assistive technology lists them), item views, labels and
// group boxes below `root` have an accessible name.
inline void ExpectControlsNamed(const QWidget* root) {
    for (QWidget* w : root->findChildren<QWidget*>()) {
        const bool button = qobject_cast<QAbstractButton*>(w) != nullptr;
        if (!w->isVisible() && !button) continue;
        if (!button && !qobject_cast<QAbstractItemView*>(w) && !qobject_cast<QLabel*>(w) && !qobject_cast<QGroupBox*>(w))
            continue;
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
        ASSERT_NE(a, nullptr);
        EXPECT_FALSE(a->text(QAccessible::Name).isEmpty()) << w->metaObject()->className() << " "
                                                           << w->objectName().toStdString();
    }
}

} // namespace veldin::test
