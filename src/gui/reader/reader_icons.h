#pragma once
// The small pictures of the reader's views, drawn once so they look the same on every desktop
// theme and at every scale: the tree's state images (channel_node.h: receiving, folder,
// received, channel, failed, folder walk on it) and the article list's state icons.
//
// Threading: window thread (QPixmap).

#include <QIcon>

namespace zirvo::gui {

// The tree image with index `image` (kImageReceiving .. kImageFolderReceiving).
QIcon TreeImage(int image);

enum class ListIcon {
    NewItem,     // importance column: a new item
    Unread,      // read-state column: unread
    Read,        // read-state column: read
    Attachment,  // attachment column header
    Importance,  // importance column header
    ReadState,   // read-state column header
};
QIcon ListStateIcon(ListIcon which);

}  // namespace zirvo::gui
