#include "platform/ui/test_hooks.h"

#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/text/json_text.h"

namespace {

const char* Variable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && value[0] != '\0' ? value : nullptr;
}

}  // namespace

void LogMessageBoxForTests(std::u16string_view caption, std::u16string_view text) {
  const char* path = Variable("CYCLUNE_MESSAGE_LOG");
  if (path == nullptr) return;
  std::FILE* log = std::fopen(path, "a");
  if (log == nullptr) return;
  // One write of the whole line, so that a reader polling the file never sees half of it.
  const std::string line = MessageBoxJson(caption, text) + "\n";
  std::fwrite(line.data(), 1, line.size(), log);
  std::fclose(log);
}

bool FrameTracesWanted() {
  static const bool wanted = [] {
    const char* value = Variable("CYCLUNE_TRACE_FRAMES");
    return value != nullptr && std::strcmp(value, "0") != 0;
  }();
  return wanted;
}

bool TextTracesWanted() {
  static const bool wanted = [] {
    const char* value = Variable("CYCLUNE_TRACE_TEXT");
    return value != nullptr && std::strcmp(value, "0") != 0;
  }();
  return wanted;
}

void TraceFrameEvent(const char* what) {
  if (!FrameTracesWanted()) return;
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  std::fprintf(stderr, "cyclune-trace: %s %lld.%06ld\n", what, static_cast<long long>(now.tv_sec),
               now.tv_nsec / 1000);
}
