#pragma once
// The information box: a modal dialog with the message and one "OK" button.

#include <string>

namespace ostrevan::app {

// Caption = the application title, no icon, no sound; the message-box font, the text wrapped
// within half the screen width ("&" marks an access key), one centred "OK" that is both the
// default and the cancel button; centred on the monitor of the active window. Returns when
// the box is closed. `text` is UTF-8.
void ShowInfoBox(const std::string& text);

}  // namespace ostrevan::app
