// Message boxes handed to the running loop.
#include "platform/ui/message_box.h"

#include "platform/ui/front_end.h"
#include "platform/ui/test_hooks.h"

namespace {

MessageBoxSink g_message_box_sink = nullptr;

}  // namespace

void ShowMessageBox(std::u16string_view caption, std::u16string_view text) {
  LogMessageBoxForTests(caption, text);
  if (g_message_box_sink != nullptr) g_message_box_sink(caption, text);
}

void SetMessageBoxSink(MessageBoxSink sink) { g_message_box_sink = sink; }
