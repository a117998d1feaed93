#pragma once
// Text conversions shared by the reader controller's files.

#include <QString>
#include <string>

namespace zirvo::gui {

// The core's texts are UTF-8.
inline QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace zirvo::gui
