#include "platform/headless/headless_script.h"

#include <charconv>

#include "platform/modules/headless.h"

namespace {

constexpr std::size_t kMaxNameLength = 200;

// The words of a line, one at a time: a line is never split further than a command needs,
// so a long line costs nothing beyond its own bytes.
class WordReader {
 public:
  explicit WordReader(std::string_view line) : rest_(line) {}
  // The next word; empty once the line has no more.
  std::string_view Next() {
    const std::size_t start = rest_.find_first_not_of(" \t");
    if (start == std::string_view::npos) return rest_ = {};
    rest_.remove_prefix(start);
    const std::string_view word = rest_.substr(0, rest_.find_first_of(" \t"));
    rest_.remove_prefix(word.size());
    return word;
  }

 private:
  std::string_view rest_;
};

// Unsigned decimal, or hexadecimal after 0x; no sign, no spaces, no overflow past `max`.
bool ParseNumber(std::string_view word, std::uint32_t max, std::uint32_t* value) {
  int base = 10;
  if (word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) {
    word.remove_prefix(2);
    base = 16;
  }
  if (word.empty() || word[0] == '+' || word[0] == '-') return false;
  std::uint64_t parsed = 0;
  const auto [end, status] = std::from_chars(word.data(), word.data() + word.size(), parsed, base);
  if (status != std::errc() || end != word.data() + word.size() || parsed > max) return false;
  *value = static_cast<std::uint32_t>(parsed);
  return true;
}

std::string CheckName(std::string_view name) {
  if (name.size() > kMaxNameLength) return "shot name longer than 200 bytes";
  if (name == "." || name.find("..") != std::string_view::npos) {
    return "shot name must not contain \"..\"";
  }
  for (const char c : name) {
    if (c == '/') return "shot name must be a plain file name (no '/')";
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
      return "shot name contains a control character";
    }
  }
  return {};
}

struct Grammar {
  const char* word;
  ScriptCommand::Kind kind;
  std::size_t arguments;
  std::uint32_t first_max;
  std::uint32_t second_max;
  const char* usage;
};

constexpr Grammar kGrammar[] = {
    {"key", ScriptCommand::Kind::kKey, 1, 0xFFFFFFFF, 0, "key CODE"},
    {"tap", ScriptCommand::Kind::kTap, 2, 0xFFFF, 0xFFFF, "tap X Y (0 to 65535)"},
    {"command", ScriptCommand::Kind::kCommand, 1, 0xFFFF, 0, "command ID (0 to 65535)"},
    {"resize", ScriptCommand::Kind::kResize, 2, kMaxClientSide, kMaxClientSide,
     "resize W H (0 to 8192)"},
    {"shot", ScriptCommand::Kind::kShot, 1, 0, 0, "shot NAME"},
};

// Empty when the line is good; the reason otherwise. `first` is the line's first word,
// `words` reads the rest.
std::string ParseLine(std::string_view first, WordReader& words, ScriptCommand* command) {
  for (const Grammar& grammar : kGrammar) {
    if (first != grammar.word) continue;
    std::string_view arguments[2];
    for (std::size_t i = 0; i < grammar.arguments; ++i) arguments[i] = words.Next();
    if (arguments[grammar.arguments - 1].empty() || !words.Next().empty()) {
      return std::string("expected ") + grammar.usage;
    }
    command->kind = grammar.kind;
    if (grammar.kind == ScriptCommand::Kind::kShot) {
      std::string reason = CheckName(arguments[0]);
      if (reason.empty()) command->name = std::string(arguments[0]);
      return reason;
    }
    if (!ParseNumber(arguments[0], grammar.first_max, &command->first) ||
        (grammar.arguments == 2 &&
         !ParseNumber(arguments[1], grammar.second_max, &command->second))) {
      return std::string("bad number, expected ") + grammar.usage;
    }
    return {};
  }
  std::string shown(first.substr(0, 40));
  for (char& c : shown) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  }
  return "unknown command '" + shown + "'";
}

}  // namespace

bool ParseScript(std::string_view text, std::vector<ScriptCommand>* commands, std::string* error) {
  commands->clear();
  int number = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    ++number;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::string reason;
    if (line.find('\0') != std::string_view::npos) reason = "contains a NUL byte";
    WordReader words(line);
    const std::string_view first = words.Next();
    if (reason.empty() && (first.empty() || first[0] == '#')) continue;
    ScriptCommand command;
    command.line = number;
    if (reason.empty()) reason = ParseLine(first, words, &command);
    if (!reason.empty()) {
      *error = "script line " + std::to_string(number) + ": " + reason;
      return false;
    }
    commands->push_back(std::move(command));
  }
  return true;
}
