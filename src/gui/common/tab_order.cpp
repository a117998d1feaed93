#include "gui/common/tab_order.h"

#include <QWidget>
#include <algorithm>

namespace zirvo::gui {

namespace {

bool TakesTab(const QWidget* widget) {
    return (widget->focusPolicy() & Qt::TabFocus) != 0;
}

// `widget` itself, or its focusable parts when it takes no focus (a part's own parts, such as an
// editable combo box's line, go with the part).
QList<QWidget*> Stops(QWidget* widget) {
    if (TakesTab(widget)) {
        return {widget};
    }
    QList<QWidget*> stops;
    for (QWidget* part : widget->findChildren<QWidget*>()) {
        const bool insideStop =
            std::any_of(stops.cbegin(), stops.cend(),
                        [part](const QWidget* stop) { return stop->isAncestorOf(part); });
        // A popup among the parts (a combo box's list) is a window of its own.
        if (TakesTab(part) && !insideStop && part->window() == widget->window()) {
            stops << part;
        }
    }
    return stops;
}

}  // namespace

void ChainTabOrder(const QList<QWidget*>& widgets) {
    QWidget* previous = nullptr;
    for (QWidget* widget : widgets) {
        for (QWidget* stop : Stops(widget)) {
            if (previous) {
                QWidget::setTabOrder(previous, stop);
            }
            previous = stop;
        }
    }
}

}  // namespace zirvo::gui
