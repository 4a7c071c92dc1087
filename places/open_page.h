// Opening a web page from a window, and saying so when it cannot be done.
#pragma once

#include <string>

class QWidget;

namespace skyvane::places {

// Opens `url` in the desktop's web browser. Without a browser (or one that
// refuses the address) a button or menu item would seem to do nothing, so
// a message over `parent` says so and shows the address; it does not block
// the window it belongs to.
void OpenPageOrSay(const std::string& url, QWidget* parent);

}  // namespace skyvane::places
