// JSON files: parsing with a bound on nesting, and telling the trackers apart by shape.
#include "interop/import_json.h"

#include <charconv>

#include "interop/import_formats.h"

namespace {

constexpr int kMaxDepth = 64;  // the exports nest 4 deep at most
constexpr std::size_t kMaxReason = 100;

struct TooDeep {};

// Line and column (from 1) of the byte at `offset`.
std::string PlaceOf(std::string_view text, std::size_t offset) {
  offset = std::min(offset, text.size());
  std::size_t line = 1;
  std::size_t line_start = 0;
  for (std::size_t i = 0; i < offset; ++i) {
    if (text[i] == '\n') {
      ++line;
      line_start = i + 1;
    }
  }
  return "line " + std::to_string(line) + ", column " + std::to_string(offset - line_start + 1);
}

// The library's explanation without its "[json.exception...] " tag and its "parse error at
// line L, column C: " prefix (the place is given our own way), made printable.
std::string Explanation(const char* what) {
  std::string_view text(what);
  if (const std::size_t tag = text.find("] ");
      !text.empty() && text[0] == '[' && tag != std::string_view::npos) {
    text.remove_prefix(tag + 2);
  }
  if (const std::size_t colon = text.find(": ");
      text.substr(0, 11) == "parse error" && colon != std::string_view::npos) {
    text.remove_prefix(colon + 2);
  }
  std::string reason(text.substr(0, kMaxReason));
  for (char& c : reason) {
    if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F) c = '?';
  }
  return reason;
}

bool Has(const Json& value, const char* key) { return value.is_object() && value.contains(key); }

// An object with "periods" whose rows carry Menstrudel's start_date rather than a date.
bool HasMenstrudelPeriods(const Json& root) {
  const Json* periods = Member(root, "periods");
  return periods != nullptr && periods->is_array() && !periods->empty() &&
         Has(periods->front(), "start_date");
}

ImportParse ReadObject(const Json& root) {
  if (Has(root, "period_logs") || HasMenstrudelPeriods(root)) return ReadMenstrudel(root);
  if (Has(root, "periods")) return ReadMensinator(root);
  if (Has(root, "operationalData")) {
    return Unrecognised("this looks like a Flo export, which Cyclune cannot read");
  }
  if (Has(root, "exported_at") || Has(root, "app_version")) {
    return Unrecognised("a Menstrudel export of another kind: export \"logs and periods\"");
  }
  return Unrecognised("JSON, but not an export of Periodical, Mensinator, Menstrudel or Clue");
}

ImportParse ReadArray(const Json& root) {
  if (root.empty()) return ReadClue(root);
  const Json& first = root.front();
  if (Has(first, "version") || Has(first, "data")) return ReadPeriodicalBackup(root);
  if (Has(first, "type")) return ReadClue(root);
  return Unrecognised("a JSON list, but not Periodical's backup or Clue's measurements");
}

}  // namespace

bool ParseJsonText(std::string_view text, Json* value, std::string* error) {
  const Json::parser_callback_t depth_bound = [](int depth, Json::parse_event_t, Json&) {
    if (depth > kMaxDepth) throw TooDeep{};
    return true;
  };
  try {
    *value = Json::parse(text.begin(), text.end(), depth_bound);
    return true;
  } catch (const Json::parse_error& failure) {
    // The library counts bytes from 1; the offending byte is the last one read.
    *error = PlaceOf(text, failure.byte == 0 ? 0 : failure.byte - 1) + ": " +
             Explanation(failure.what());
  } catch (const Json::exception& failure) {  // a number beyond a double, say
    *error = Explanation(failure.what());
  } catch (const TooDeep&) {
    *error = "nested more than " + std::to_string(kMaxDepth) + " levels deep";
  }
  return false;
}

bool ScalarText(const Json& value, std::string* text) {
  if (value.is_string()) {
    *text = value.get_ref<const std::string&>();
    return true;
  }
  if (value.is_number_integer()) {
    *text = value.dump();
    return true;
  }
  return false;
}

bool ScalarInteger(const Json& value, std::int64_t* number) {
  if (value.is_number_unsigned()) {
    const auto unsigned_value = value.get<std::uint64_t>();
    if (unsigned_value > static_cast<std::uint64_t>(INT64_MAX)) return false;
    *number = static_cast<std::int64_t>(unsigned_value);
    return true;
  }
  if (value.is_number_integer()) {
    *number = value.get<std::int64_t>();
    return true;
  }
  if (!value.is_string()) return false;
  const std::string& text = value.get_ref<const std::string&>();
  const char* end = text.data() + text.size();
  const auto [last, status] = std::from_chars(text.data(), end, *number);
  return status == std::errc() && last == end && !text.empty();
}

const Json* Member(const Json& object, const char* key) {
  if (!object.is_object()) return nullptr;
  const auto found = object.find(key);
  return found == object.end() ? nullptr : &*found;
}

ImportParse ParseTrackerJson(std::string_view text) {
  Json root;
  std::string error;
  if (!ParseJsonText(text, &root, &error)) {
    return Broken(ImportFormat::kUnknown, "not valid JSON: " + error);
  }
  if (root.is_array()) return ReadArray(root);
  if (root.is_object()) return ReadObject(root);
  return Unrecognised("JSON, but a single value rather than an export");
}
