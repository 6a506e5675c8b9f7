// The .reg parser on any bytes: it must not crash or hang, what it read must read back the same
// once written (as read, and in canonical form), and a value set in it must read back.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/settings/registry_text.h"

namespace {

constexpr char16_t kKey[] = u"HKEY_LOCAL_MACHINE\\Software\\Tamberlock\\Cyclune";

void Check(bool holds, const char* what) {
  if (!holds) {
    std::fprintf(stderr, "registry_parse_fuzz: %s\n", what);
    std::abort();
  }
}

bool SameEntry(const RegTextEntry& a, const RegTextEntry& b, bool with_text) {
  return a.kind == b.kind && a.name == b.name && a.type == b.type && a.data == b.data &&
         (!with_text || a.text == b.text);
}

bool SameEntries(const std::vector<RegTextEntry>& a, const std::vector<RegTextEntry>& b,
                 bool with_text) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (!SameEntry(a[i], b[i], with_text || a[i].kind == RegLineKind::kComment)) return false;
  }
  return true;
}

bool SameDocument(const RegTextDocument& a, const RegTextDocument& b, bool with_text) {
  if (!SameEntries(a.preamble, b.preamble, with_text) || a.sections.size() != b.sections.size())
    return false;
  for (std::size_t i = 0; i < a.sections.size(); ++i) {
    const RegTextSection& x = a.sections[i];
    const RegTextSection& y = b.sections[i];
    if (x.path != y.path || x.removal != y.removal || (with_text && x.text != y.text) ||
        !SameEntries(x.entries, y.entries, with_text)) {
      return false;
    }
  }
  return true;
}

// Every value and section written by the serializer's own rules instead of as read.
RegTextDocument Canonical(RegTextDocument document) {
  for (RegTextSection& section : document.sections) {
    section.text.clear();
    for (RegTextEntry& entry : section.entries) {
      if (entry.kind != RegLineKind::kComment) entry.text.clear();
    }
  }
  return document;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const RegTextParse first =
      ParseRegText(std::string_view(reinterpret_cast<const char*>(data), size));

  const RegTextParse again = ParseRegText(SerializeRegText(first.document));
  Check(again.clean, "what was written does not read back cleanly");
  Check(SameDocument(first.document, again.document, true),
        "written and read back, the document differs");

  const RegTextParse canonical = ParseRegText(SerializeRegText(Canonical(first.document)));
  Check(canonical.clean, "the canonical form does not read back cleanly");
  Check(SameDocument(first.document, canonical.document, false),
        "the canonical form means something else");

  RegTextDocument edited = first.document;
  const RegKeyValue set{u"CycleLength", REG_DWORD, {0x1c, 0, 0, 0}};
  SetRegValue(edited, kKey, set);
  const RegTextParse stored = ParseRegText(SerializeRegText(edited));
  Check(stored.clean, "a document with a value set does not read back cleanly");
  bool found = false;
  for (const RegKeyValue& value : ResolveRegKey(stored.document, kKey)) {
    if (RegNamesEqual(value.name, set.name))
      found = value.type == set.type && value.data == set.data;
  }
  Check(found, "a value set does not read back");
  return 0;
}
