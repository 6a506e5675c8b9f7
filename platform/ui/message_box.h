// Message boxes: a caption, a text and an OK button. Opening one hands it to the running event
// loop (app/event_loop.h), whose modal model shows it over the window until the user closes
// it; the call returns at once. Boxes opened while one is open wait their turn.
#pragma once

#include <string_view>

// Opens the box; also appends it to the test log (platform/ui/test_hooks.h). Without a
// running loop it is answered unseen.
void ShowMessageBox(std::u16string_view caption, std::u16string_view text);
