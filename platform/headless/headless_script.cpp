#include "platform/headless/headless_script.h"

#include <charconv>

#include "platform/headless.h"

namespace {

constexpr std::size_t kMaxNameLength = 200;

std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    const std::size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
  return words;
}

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

// Empty when the line is good; the reason otherwise.
std::string ParseLine(std::string_view line, ScriptCommand* command) {
  const std::vector<std::string_view> words = Words(line);
  for (const Grammar& grammar : kGrammar) {
    if (words[0] != grammar.word) continue;
    if (words.size() != grammar.arguments + 1) {
      return std::string("expected ") + grammar.usage;
    }
    command->kind = grammar.kind;
    if (grammar.kind == ScriptCommand::Kind::kShot) {
      command->name = std::string(words[1]);
      return CheckName(words[1]);
    }
    if (!ParseNumber(words[1], grammar.first_max, &command->first) ||
        (grammar.arguments == 2 && !ParseNumber(words[2], grammar.second_max, &command->second))) {
      return std::string("bad number, expected ") + grammar.usage;
    }
    return {};
  }
  std::string shown(words[0].substr(0, 40));
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
    const std::vector<std::string_view> words = Words(line);
    if (reason.empty() && (words.empty() || words[0][0] == '#')) continue;
    ScriptCommand command;
    command.line = number;
    if (reason.empty()) reason = ParseLine(line, &command);
    if (!reason.empty()) {
      *error = "script line " + std::to_string(number) + ": " + reason;
      return false;
    }
    commands->push_back(std::move(command));
  }
  return true;
}
