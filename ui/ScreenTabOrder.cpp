#include "ui/ScreenTabOrder.h"

#include <QWidget>
#include <algorithm>
#include <tuple>

namespace vi23::ui {

namespace {

// A control inside another focusable one (a drop-down's line, a grid's viewport) goes with it.
bool insideFocusable(const QWidget* widget, const QWidget* page)
{
    for (const QWidget* up = widget->parentWidget(); up && up != page; up = up->parentWidget()) {
        if (up->focusPolicy() & Qt::TabFocus)
            return true;
    }
    return false;
}

} // namespace

void setTabOrderByPlace(QWidget* page)
{
    QList<QWidget*> controls;
    for (QWidget* widget : page->findChildren<QWidget*>()) {
        if ((widget->focusPolicy() & Qt::TabFocus) && !widget->isWindow() && !insideFocusable(widget, page))
            controls << widget;
    }
    auto place = [page](const QWidget* widget) {
        const QPoint at = widget->mapTo(page, QPoint());
        return std::tuple(at.y(), at.x());
    };
    std::stable_sort(controls.begin(), controls.end(),
                     [&](const QWidget* a, const QWidget* b) { return place(a) < place(b); });
    for (qsizetype i = 0; i + 1 < controls.size(); ++i)
        QWidget::setTabOrder(controls[i], controls[i + 1]);
}

} // namespace vi23::ui
