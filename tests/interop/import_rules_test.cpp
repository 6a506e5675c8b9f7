// Each tracker's rule for where a period starts, on small files that isolate one point of it.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "interop/import_parse.h"

namespace {

using Days = std::vector<std::string>;

struct RuleCase {
  const char* name;
  std::string text;
  Days starts;
};

Days StartsOf(const ImportParse& parse) {
  Days days;
  for (const ImportDay& day : parse.starts) days.push_back(FormatImportDay(day));
  std::sort(days.begin(), days.end());
  days.erase(std::unique(days.begin(), days.end()), days.end());
  return days;
}

template <std::size_t N>
void ExpectStarts(const RuleCase (&cases)[N], ImportFormat format) {
  for (const RuleCase& c : cases) {
    SCOPED_TRACE(c.name);
    const ImportParse parse = ParseTrackerFile(c.text);
    EXPECT_EQ(parse.problem, ImportProblem::kNone) << parse.error;
    EXPECT_EQ(parse.format, format);
    EXPECT_EQ(StartsOf(parse), c.starts);
  }
}

std::string Drip(const std::string& rows) {
  return "date,bleeding.value,bleeding.exclude,note.value\n" + rows;
}

TEST(ImportRules, DripStartsAfterTwoDaysWithoutCountedBleeding) {
  const RuleCase cases[] = {
      {"one free day stays inside",
       Drip("2025-01-01,2,false,\n2025-01-02,2,false,\n"
            "2025-01-04,1,false,"),
       {"2025-01-01"}},
      {"two free days end the period",
       Drip("2025-01-01,2,false,\n2025-01-04,1,false,"),
       {"2025-01-01", "2025-01-04"}},
      {"an excluded day does not bridge",
       Drip("2025-01-01,2,false,\n2025-01-03,1,true,\n"
            "2025-01-04,1,false,"),
       {"2025-01-01", "2025-01-04"}},
      {"the same day not excluded does",
       Drip("2025-01-01,2,false,\n2025-01-03,1,false,\n"
            "2025-01-04,1,false,"),
       {"2025-01-01"}},
      {"an excluded day alone is no start", Drip("2025-01-10,0,TRUE,"), {}},
      {"spotting counts and starts",
       Drip("2025-01-09,0,FALSE,\n2025-01-10,3,False,"),
       {"2025-01-09"}},
      {"the later of two rows wins", Drip("2025-01-05,2,false,\n2025-01-05,,,edited"), {}},
      {"and the other way round", Drip("2025-01-05,,,edited\n2025-01-05,2,false,"), {"2025-01-05"}},
      {"rows in any order",
       Drip("2025-02-01,1,false,\n2025-01-01,1,false,\n"
            "2025-01-31,1,false,"),
       {"2025-01-01", "2025-01-31"}},
      {"a spreadsheet's 2.0 and padding", Drip("2025-01-01, 2.0 ,,\n"), {"2025-01-01"}},
      {"rows with only a date", Drip("2025-01-01\n2025-01-02,1,false,"), {"2025-01-02"}},
      {"without bleeding.exclude nothing is excluded",
       "bleeding.value,date\n1,2025-01-01\n1,2025-01-03",
       {"2025-01-01"}},
  };
  ExpectStarts(cases, ImportFormat::kDrip);
}

TEST(ImportRules, PeriodicalStartsAreItsRowsOfEventType1) {
  const RuleCase cases[] = {
      {"types 0 and 2 are no starts",
       R"([{"version":6},{"data":[{"eventtype":"2","eventdate":"20250102"},)"
       R"({"eventtype":"1","eventdate":"20250101"},{"eventtype":"0","eventdate":"20250120"},)"
       R"({"eventtype":"1","eventdate":"20250103"}]},{"options":[]}])",
       {"2025-01-01", "2025-01-03"}},
      {"numbers instead of strings, a repeated start",
       R"([{"version":6},{"data":[{"eventtype":1,"eventdate":20250101},)"
       R"({"eventtype":1,"eventdate":"20250101"}]}])",
       {"2025-01-01"}},
  };
  ExpectStarts(cases, ImportFormat::kPeriodicalBackup);
}

TEST(ImportRules, MensinatorPeriodStartsOnTheEarliestDayOfItsId) {
  const RuleCase cases[] = {
      {"an id with a gap is one period",
       R"({"periods":[{"id":"1","date":"2025-01-03","period_id":"1"},)"
       R"({"id":"2","date":"2025-01-01","period_id":"1"}],"symptoms":[]})",
       {"2025-01-01"}},
      {"adjacent days of two ids are two periods",
       R"({"periods":[{"id":"1","date":"2025-01-01","period_id":"1"},)"
       R"({"id":"2","date":"2025-01-02","period_id":2}]})",
       {"2025-01-01", "2025-01-02"}},
  };
  ExpectStarts(cases, ImportFormat::kMensinator);
}

std::string Menstrudel(const std::string& logs) {
  return R"({"periods":[],"period_logs":[)" + logs + R"(],"log_symptoms":[],"db_version":11})";
}

TEST(ImportRules, MenstrudelNeedsTwoWholeDaysBetweenFlowLogs) {
  const RuleCase cases[] = {
      {"48 hours apart: a new period",
       Menstrudel(R"({"id":1,"date":"2025-01-01T00:00:00.000","flow":2,"period_id":1},)"
                  R"({"id":2,"date":"2025-01-03T00:00:00.000","flow":2,"period_id":1})"),
       {"2025-01-01", "2025-01-03"}},
      {"36 hours over two calendar days: the same period",
       Menstrudel(R"({"id":1,"date":"2025-01-01T20:00:00.000","flow":2,"period_id":1},)"
                  R"({"id":2,"date":"2025-01-03T08:00:00.123456","flow":2,"period_id":1})"),
       {"2025-01-01"}},
      {"flow 0 is no bleeding, spotting is",
       Menstrudel(R"({"id":1,"date":"2025-01-05T00:00:00.000","flow":0,"period_id":-1},)"
                  R"({"id":2,"date":"2025-01-09T00:00:00.000","flow":1,"period_id":3},)"
                  R"({"id":3,"date":"2025-01-01T00:00:00.000","flow":4,"period_id":2})"),
       {"2025-01-01", "2025-01-09"}},
      {"the day of a late log is its own day",
       Menstrudel(R"({"id":1,"date":"2025-03-25T00:34:09.877","flow":3,"period_id":1})"),
       {"2025-03-25"}},
  };
  ExpectStarts(cases, ImportFormat::kMenstrudel);
}

TEST(ImportRules, CluePeriodsAreRunsOfConsecutivePeriodDays) {
  const RuleCase cases[] = {
      {"one free day splits, spotting and other types do not count",
       R"([{"type":"period","id":"a","date":"2025-01-02","value":{"option":"light"}},)"
       R"({"type":"spotting","id":"b","date":"2025-01-03","value":{"option":"spotting"}},)"
       R"({"type":"period","id":"c","date":"2025-01-04","value":{"option":"heavy"}},)"
       R"({"type":"pain","id":"d","date":"2025-01-01","value":[{"option":"cramps"}]},)"
       R"({"type":"period","id":"e","date":"2025-01-01","value":{"option":"light"}}])",
       {"2025-01-01", "2025-01-04"}},
  };
  ExpectStarts(cases, ImportFormat::kClue);
}

TEST(ImportRules, EveryListedDateIsAStart) {
  const RuleCase lines[] = {
      {"comments, blank lines, CRLF, repeats",
       "# my periods\r\n2025-01-01\r\n\r\n  2025-02-01  \r\n2025-01-01\r\n",
       {"2025-01-01", "2025-02-01"}},
  };
  ExpectStarts(lines, ImportFormat::kDateList);
  const RuleCase columns[] = {
      {"a Date column among others, quoted",
       "note,Date\r\n\"heavy, early\",2025-01-01\r\nx,\"2025-02-01\"\r\n,\r\n",
       {"2025-01-01", "2025-02-01"}},
  };
  ExpectStarts(columns, ImportFormat::kDateColumn);
}

}  // namespace
