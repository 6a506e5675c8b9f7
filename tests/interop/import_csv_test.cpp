// The CSV reader: RFC 4180 quoting and line ends, the line each record starts on, and the
// leniencies real exports need.
#include "interop/import_csv.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Read {
  std::vector<std::vector<std::string>> records;
  std::vector<std::size_t> lines;
  std::string error;
};

Read ReadAll(std::string_view text) {
  Read read;
  CsvCursor cursor{text};
  CsvRecord record;
  for (CsvStep step; (step = NextCsvRecord(&cursor, &record, &read.error)) != CsvStep::kEnd;) {
    if (step == CsvStep::kError) break;
    read.records.push_back(record.fields);
    read.lines.push_back(record.line);
  }
  return read;
}

using Records = std::vector<std::vector<std::string>>;

TEST(ImportCsv, ReadsQuotingAndLineEndsAsWritten) {
  struct Case {
    const char* name;
    std::string_view text;
    Records records;
    std::vector<std::size_t> lines;
  };
  const Case cases[] = {
      {"LF, no final break", "a,b\n1,2", {{"a", "b"}, {"1", "2"}}, {1, 2}},
      {"CRLF and a final CRLF", "a,b\r\n1,2\r\n", {{"a", "b"}, {"1", "2"}}, {1, 2}},
      {"empty fields", ",a,,\n", {{"", "a", "", ""}}, {1}},
      {"comma in quotes", "\"x, y\",z\n", {{"x, y", "z"}}, {1}},
      {"doubled quote", "\"say \"\"hi\"\"\"\n", {{"say \"hi\""}}, {1}},
      {"empty quoted field", "\"\",a\n", {{"", "a"}}, {1}},
      {"line break in quotes counts lines",
       "\"one\r\ntwo\nthree\rfour\",x\nnext\n",
       {{"one\r\ntwo\nthree\rfour", "x"}, {"next"}},
       {1, 5}},
      {"quotes inside an unquoted field stay",
       "ovulation spotting \"\"again\"\",1\n",
       {{"ovulation spotting \"\"again\"\"", "1"}},
       {1}},
      {"lone CR ends a record (old Mac files)", "a\rb,c\r", {{"a"}, {"b", "c"}}, {1, 2}},
      {"CR, LF and CRLF in one text",
       "a\rb\nc\r\n\rd",
       {{"a"}, {"b"}, {"c"}, {""}, {"d"}},
       {1, 2, 3, 4, 5}},
      {"blank line is one empty field", "a\n\nb\n", {{"a"}, {""}, {"b"}}, {1, 2, 3}},
      {"empty text", "", {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Read read = ReadAll(c.text);
    EXPECT_EQ(read.error, "");
    EXPECT_EQ(read.records, c.records);
    EXPECT_EQ(read.lines, c.lines);
  }
}

TEST(ImportCsv, NamesTheLineOfTextThatIsNotCsv) {
  struct Case {
    std::string text;
    const char* error;
  };
  const Case cases[] = {
      {"a,b\n\"open\nstill open", "line 2: a quoted field is not closed"},
      {"a\n\"x\"y,z\n", "line 2: text after the closing quote of a field"},
      {"\"multi\nline\"tail\n", "line 2: text after the closing quote of a field"},
      {"a\r" + std::string(kMaxCsvFields, ','), "line 2: more than 1048576 fields in one record"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReadAll(c.text).error, c.error) << c.text.substr(0, 40);
  }
}

}  // namespace
