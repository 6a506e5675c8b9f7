// JSON files: parsing with bounds on nesting and memory, and telling the trackers apart by shape.
#include "interop/import_json.h"

#include <algorithm>
#include <charconv>
#include <utility>
#include <vector>

#include "interop/import_csv.h"
#include "interop/import_formats.h"

namespace {

constexpr std::size_t kMaxDepth = 64;  // the exports nest 4 deep at most
constexpr std::size_t kMaxReason = 100;

// The most memory a document's tree may take: four times the largest file, and far more than
// any tracker's export needs (a dense 1 MB backup takes about 8 MB).
constexpr std::size_t kMaxTreeBytes = std::size_t{256} << 20;
// What the library's types take for a value on a 64-bit system: the value itself (twice, for
// the slack of a growing list), the heap part of a string, list or object with its allocation,
// and the tree node of an object's member.
constexpr std::size_t kValueCost = 2 * sizeof(Json);
constexpr std::size_t kHeapCost = 64;
constexpr std::size_t kMemberCost = 96;

// Line and column (from 1) of the byte at `offset`, lines ended by CRLF, LF or CR.
std::string PlaceOf(std::string_view text, std::size_t offset) {
  offset = std::min(offset, text.size());
  std::size_t line = 1;
  std::size_t line_start = 0;
  for (std::size_t at = 0; at < offset;) {
    const std::size_t line_break = LineBreakAt(text, at);
    at += line_break == 0 ? 1 : line_break;
    if (line_break != 0) {
      ++line;
      line_start = at;
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

// Builds the tree of a document from the parser's events as the library's own parser does,
// but refuses a document nested deeper than kMaxDepth or whose tree would take more than
// kMaxTreeBytes. (The library's parser with a callback bounds the depth too, but its time grows
// with the square of the number of objects in a list.)
class TreeBuilder : public Json::json_sax_t {
 public:
  TreeBuilder(std::string_view text, Json* root) : text_(text), root_(root) {}
  const std::string& error() const { return error_; }

  bool null() override { return Add(nullptr, 0); }
  bool boolean(bool value) override { return Add(value, 0); }
  bool number_integer(number_integer_t value) override { return Add(value, 0); }
  bool number_unsigned(number_unsigned_t value) override { return Add(value, 0); }
  bool number_float(number_float_t value, const string_t&) override { return Add(value, 0); }
  bool string(string_t& value) override {
    const std::size_t cost = kHeapCost + value.size();
    return Add(std::move(value), cost);
  }
  bool binary(binary_t& value) override {  // never in JSON text
    const std::size_t cost = kHeapCost + value.size();
    return Add(Json::binary(std::move(value)), cost);
  }
  bool start_object(std::size_t) override { return Open(Json::object()); }
  bool start_array(std::size_t) override { return Open(Json::array()); }
  bool key(string_t& name) override {
    if (!Charge(kMemberCost + name.size())) return false;
    member_ = &(*open_.back())[name];
    return true;
  }
  bool end_object() override { return Close(); }
  bool end_array() override { return Close(); }
  bool parse_error(std::size_t, const std::string&, const Json::exception& failure) override {
    error_ = "not valid JSON: ";
    // The library counts bytes from 1; the offending byte is the last one read.
    if (const auto* syntax = dynamic_cast<const Json::parse_error*>(&failure)) {
      error_ += PlaceOf(text_, syntax->byte == 0 ? 0 : syntax->byte - 1) + ": ";
    }
    error_ += Explanation(failure.what());  // a number beyond a double has no place
    return false;
  }

 private:
  bool Charge(std::size_t bytes) {
    used_ += bytes;
    if (used_ <= kMaxTreeBytes) return true;
    error_ = "the JSON holds too many values: reading them would take more than 256 MiB of memory";
    return false;
  }

  template <typename Value>
  Json* Place(Value&& value) {
    if (open_.empty()) {
      *root_ = Json(std::forward<Value>(value));
      return root_;
    }
    Json& parent = *open_.back();
    if (parent.is_array()) return &parent.emplace_back(std::forward<Value>(value));
    *member_ = Json(std::forward<Value>(value));
    return member_;
  }

  template <typename Value>
  bool Add(Value&& value, std::size_t cost) {
    if (!Charge(kValueCost + cost)) return false;
    Place(std::forward<Value>(value));
    return true;
  }

  bool Open(Json container) {
    if (open_.size() >= kMaxDepth) {
      error_ = "the JSON is nested more than " + std::to_string(kMaxDepth) + " levels deep";
      return false;
    }
    if (!Charge(kValueCost + kHeapCost)) return false;
    open_.push_back(Place(std::move(container)));
    return true;
  }

  bool Close() {
    open_.pop_back();
    return true;
  }

  std::string_view text_;
  Json* root_;
  std::vector<Json*> open_;  // the lists and objects not yet closed, outermost first
  Json* member_ = nullptr;   // the value of the key just read
  std::size_t used_ = 0;
  std::string error_;
};

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
  TreeBuilder builder(text, value);
  if (Json::sax_parse(text.begin(), text.end(), &builder)) return true;
  *error = builder.error();
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
  if (!ParseJsonText(text, &root, &error)) return Broken(ImportFormat::kUnknown, error);
  if (root.is_array()) return ReadArray(root);
  if (root.is_object()) return ReadObject(root);
  return Unrecognised("JSON, but a single value rather than an export");
}
