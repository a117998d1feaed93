#pragma once
// An explicit Tab order for a form built from a .ui file.
//
// NOTE: a tab page of a .ui form is built before it joins its tab widget, and the widgets of such
// a page that come before a composite child (one that builds its own parts, such as the storage
// choice) end up after that child's parts in the focus chain. The forms that hold one say their
// order here.
//
// Threading: window thread.

#include <QList>

class QWidget;

namespace zirvo::gui {

// Tab visits `widgets` one after the other. A widget that takes no focus itself stands for its
// focusable parts, in the order they were made.
void ChainTabOrder(const QList<QWidget*>& widgets);

}  // namespace zirvo::gui
