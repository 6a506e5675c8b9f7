// Every sample export of the other trackers gives exactly the period starts that the tracker
// itself derives from it (the .starts.txt beside each sample), recognised from its content.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "interop/import_parse.h"

namespace {

const std::string kSamples = CYCLUNE_SOURCE_DIR "/tests/interop/samples/";

std::string ReadSample(const std::string& name) {
  std::ifstream in(kSamples + name, std::ios::binary);
  EXPECT_TRUE(in.good()) << name;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> SortedUnique(const std::vector<ImportDay>& days) {
  std::vector<std::string> text;
  for (const ImportDay& day : days) text.push_back(FormatImportDay(day));
  std::sort(text.begin(), text.end());
  text.erase(std::unique(text.begin(), text.end()), text.end());
  return text;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

struct SampleCase {
  const char* file;
  const char* starts;  // the tracker's own starts
  ImportFormat format;
  const char* note;  // a note that must be given, or ""
};

TEST(ImportSamples, GiveTheStartsOfTheTrackerThatWroteThem) {
  const SampleCase cases[] = {
      {"drip-clean.csv", "drip-clean.starts.txt", ImportFormat::kDrip, ""},
      {"drip-messy.csv", "drip-messy.starts.txt", ImportFormat::kDrip, ""},
      // drip refuses the unknown column; we read the rest and name the column.
      {"drip-messy-extra-column.csv", "drip-messy.starts.txt", ImportFormat::kDrip, "'comment'"},
      {"periodical-clean.json.gz", "periodical-clean.starts.txt", ImportFormat::kPeriodicalBackup,
       ""},
      {"periodical-messy.json.gz", "periodical-messy.starts.txt", ImportFormat::kPeriodicalBackup,
       ""},
      {"periodical-clean.payload.json", "periodical-clean.starts.txt",
       ImportFormat::kPeriodicalBackup, ""},
      {"periodical-messy.payload.json", "periodical-messy.starts.txt",
       ImportFormat::kPeriodicalBackup, ""},
      {"periodical-legacy-main.db", "periodical-legacy-main.starts.txt",
       ImportFormat::kPeriodicalDatabase, ""},
      {"mensinator-clean.json", "mensinator-clean.starts.txt", ImportFormat::kMensinator, ""},
      {"mensinator-messy.json", "mensinator-messy.starts.txt", ImportFormat::kMensinator, ""},
      {"menstrudel-clean.json", "menstrudel-clean.starts.txt", ImportFormat::kMenstrudel, ""},
      {"menstrudel-messy.json", "menstrudel-messy.starts.txt", ImportFormat::kMenstrudel, ""},
      {"clue-clean.json", "clue-clean.starts.txt", ImportFormat::kClue, ""},
      {"clue-messy.json", "clue-messy.starts.txt", ImportFormat::kClue, ""},
  };
  for (const SampleCase& sample : cases) {
    SCOPED_TRACE(sample.file);
    const ImportParse parse = ParseTrackerFile(ReadSample(sample.file));
    EXPECT_EQ(parse.problem, ImportProblem::kNone) << parse.error;
    EXPECT_EQ(parse.format, sample.format);
    EXPECT_EQ(SortedUnique(parse.starts), Lines(ReadSample(sample.starts)));
    std::string notes;
    for (const std::string& note : parse.notes) notes += note + "\n";
    if (sample.note[0] == '\0')
      EXPECT_EQ(notes, "");
    else
      EXPECT_NE(notes.find(sample.note), std::string::npos) << notes;
  }
}

// Mensinator's own import ignores the ids and regroups by adjacent days; without ids we do
// the same, which splits the period whose middle day was unmarked.
TEST(ImportSamples, MensinatorWithoutPeriodIdsGroupsAsItsOwnImportDoes) {
  std::string text = ReadSample("mensinator-messy.json");
  for (std::size_t at; (at = text.find(",\"period_id\":\"")) != std::string::npos;) {
    text.erase(at, text.find('"', at + 14) + 1 - at);
  }
  const ImportParse parse = ParseTrackerFile(text);
  ASSERT_EQ(parse.problem, ImportProblem::kNone) << parse.error;
  EXPECT_EQ(SortedUnique(parse.starts), Lines(ReadSample("mensinator-messy.reimport.starts.txt")));
  EXPECT_EQ(parse.notes.size(), 1u);
}

// A spreadsheet that saves CSV as "UTF-8" puts a byte order mark before the header; the
// first column must still be known as date.
TEST(ImportSamples, ByteOrderMarkBeforeTheHeaderIsSkipped) {
  const std::string drip = ReadSample("drip-messy.csv");
  const ImportParse marked = ParseTrackerFile("\xEF\xBB\xBF" + drip);
  EXPECT_EQ(marked.problem, ImportProblem::kNone) << marked.error;
  EXPECT_EQ(SortedUnique(marked.starts), Lines(ReadSample("drip-messy.starts.txt")));
}

// `text`, whose lines end in LF, with `line_end` at the end of each line instead.
std::string WithLineEnds(std::string text, const std::string& line_end) {
  for (std::size_t at = 0; (at = text.find('\n', at)) != std::string::npos; at += line_end.size()) {
    text.replace(at, 1, line_end);
  }
  return text;
}

// Old Mac programs end lines with CR alone; every text format reads the same with any ending.
TEST(ImportSamples, LinesEndedByCrLfOrCrlfReadAlike) {
  struct Text {
    const char* name;
    std::string text;
    std::vector<std::string> starts;
  };
  const Text texts[] = {
      {"drip-clean.csv", ReadSample("drip-clean.csv"), Lines(ReadSample("drip-clean.starts.txt"))},
      {"a list of dates", "# starts\n2025-01-01\n\n2025-01-29 \n", {"2025-01-01", "2025-01-29"}},
      {"a CSV with a date column",
       "note,Date\n\"two\nlines\",2025-01-01\n,2025-01-29\n",
       {"2025-01-01", "2025-01-29"}},
  };
  const std::pair<const char*, const char*> kLineEnds[] = {
      {"\n", " LF"}, {"\r\n", " CRLF"}, {"\r", " CR"}};
  for (const Text& text : texts) {
    for (const auto& [line_end, label] : kLineEnds) {
      SCOPED_TRACE(text.name + std::string(label));
      const ImportParse parse = ParseTrackerFile(WithLineEnds(text.text, line_end));
      EXPECT_EQ(parse.problem, ImportProblem::kNone) << parse.error;
      EXPECT_EQ(SortedUnique(parse.starts), text.starts);
    }
  }
}

// A database left in write-ahead-log mode by its app, with no log beside it, differs from one
// with a rollback journal by two bytes of its header.
TEST(ImportSamples, PeriodicalDatabaseInWalModeIsRead) {
  std::string bytes = ReadSample("periodical-legacy-main.db");
  bytes[18] = bytes[19] = 2;
  const ImportParse parse = ParseTrackerFile(bytes);
  EXPECT_EQ(parse.problem, ImportProblem::kNone) << parse.error;
  EXPECT_EQ(SortedUnique(parse.starts), Lines(ReadSample("periodical-legacy-main.starts.txt")));
}

}  // namespace
