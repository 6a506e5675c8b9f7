// Files that cannot be imported: none of the formats, a known format that is damaged or of the
// wrong shape (the message names the line, key or row), and files that are or become too large.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <zlib.h>

#include <fstream>
#include <iterator>
#include <string>

#include "interop/import_parse.h"

namespace {

const std::string kSamples = CYCLUNE_SOURCE_DIR "/tests/interop/samples/";

std::string ReadSample(const std::string& name) {
  std::ifstream in(kSamples + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Gzip(const std::string& text) {
  z_stream stream{};
  deflateInit2(&stream, Z_BEST_SPEED, Z_DEFLATED, 15 + 16, 8, Z_RLE);  // fast on long runs
  std::string out(deflateBound(&stream, text.size()), '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  stream.avail_in = static_cast<uInt>(text.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

// A SQLite database made by running `sql`, as the bytes of its file.
std::string Database(const char* sql) {
  sqlite3* db = nullptr;
  sqlite3_open(":memory:", &db);
  sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
  sqlite3_int64 size = 0;
  unsigned char* bytes = sqlite3_serialize(db, "main", &size, 0);
  std::string file(reinterpret_cast<char*>(bytes), static_cast<std::size_t>(size));
  sqlite3_free(bytes);
  sqlite3_close(db);
  return file;
}

struct Refusal {
  const char* name;
  std::string bytes;
  ImportProblem problem;
  ImportFormat format;
  const char* error;  // a part of the message that says where or why
};

void ExpectRefusals(const std::vector<Refusal>& cases) {
  for (const Refusal& c : cases) {
    SCOPED_TRACE(c.name);
    const ImportParse parse = ParseTrackerFile(c.bytes);
    EXPECT_EQ(parse.problem, c.problem);
    EXPECT_EQ(parse.format, c.format);
    EXPECT_NE(parse.error.find(c.error), std::string::npos) << parse.error;
    EXPECT_EQ(parse.error.find('\n'), std::string::npos) << "one line: " << parse.error;
  }
}

constexpr auto kUnknown = ImportProblem::kUnknownFormat;
constexpr auto kBroken = ImportProblem::kBroken;

TEST(ImportRefusal, FilesOfNoKnownFormat) {
  ExpectRefusals({
      {"empty", "", kUnknown, ImportFormat::kUnknown, "empty"},
      {"a picture", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), kUnknown,
       ImportFormat::kUnknown, "binary"},
      {"CSV without a date column", "day,flow\n2025-01-01,2\n", kUnknown, ImportFormat::kUnknown,
       "date column"},
      {"JSON of another program", R"({"name":"x","items":[1,2]})", kUnknown, ImportFormat::kUnknown,
       "not an export"},
      {"Flo", ReadSample("flo-clean.json"), kUnknown, ImportFormat::kUnknown, "Flo"},
      {"SQLite of another program", Database("CREATE TABLE notes(day TEXT, text TEXT);"), kUnknown,
       ImportFormat::kUnknown, "not Periodical's"},
      {"gzip inside gzip", Gzip(Gzip("2025-01-01\n")), kUnknown, ImportFormat::kUnknown,
       "gzip inside gzip"},
  });
}

TEST(ImportRefusal, DamagedCsvAndListsNameTheLine) {
  const std::string header = "date,bleeding.value,bleeding.exclude\n";
  ExpectRefusals({
      {"bleeding out of range", header + "2025-01-01,1,false\n2025-01-02,4,false\n", kBroken,
       ImportFormat::kDrip, "line 3: bleeding.value is '4'"},
      {"exclude neither true nor false", header + "2025-01-01,1,yes\n", kBroken,
       ImportFormat::kDrip, "line 2: bleeding.exclude is 'yes'"},
      {"a date drip cannot read", header + "03/01/2025,1,false\n", kBroken, ImportFormat::kDrip,
       "line 2: '03/01/2025' is not a date"},
      {"more cells than columns", header + "2025-01-01,1,false,oops\n", kBroken,
       ImportFormat::kDrip, "line 2: 4 fields, but the header names 3"},
      {"a column twice", "date,bleeding.value,date\n", kBroken, ImportFormat::kDrip,
       "'date' appears twice"},
      {"an unclosed quote", header + "2025-01-01,1,false\n\"2025-01-02,1,false\n", kBroken,
       ImportFormat::kDrip, "line 3: a quoted field is not closed"},
      {"drip without a date column", "bleeding.value,bleeding.exclude\n1,false\n", kBroken,
       ImportFormat::kDrip, "no date column"},
      {"a day that does not exist", "2025-01-01\n2025-02-30\n", kBroken, ImportFormat::kDateList,
       "line 2: '2025-02-30' is not a real date"},
      {"before 1601", "2025-01-01\n\n1600-12-31\n", kBroken, ImportFormat::kDateList,
       "line 3: '1600-12-31' is before 1601"},
      {"another date form", "2025-01-01\n2025-1-2\n", kBroken, ImportFormat::kDateList,
       "line 2: '2025-1-2' is not a date"},
      {"a date column with a bad date", "date,note\n2025-01-01,a\n,b\n", kBroken,
       ImportFormat::kDateColumn, "line 3: '' is not a date"},
      {"lines ended by CR", "2025-01-01\r\r2025-02-30\r", kBroken, ImportFormat::kDateList,
       "line 3: '2025-02-30' is not a real date"},
      {"a drip header past the field limit", "date,bleeding.value" + std::string(1 << 20, ','),
       kBroken, ImportFormat::kDrip, "line 1: more than 1048576 fields"},
  });
}

TEST(ImportRefusal, JsonOfTheWrongShapeNamesTheKey) {
  ExpectRefusals({
      {"not JSON", "{\"periods\": [\n  {\"date\": }\n]}", kBroken, ImportFormat::kUnknown,
       "line 2, column 12"},
      {"not JSON, lines ended by CR", "{\"periods\": [\r\r  {\"date\": }\r]}", kBroken,
       ImportFormat::kUnknown, "line 3, column 12"},
      {"a number beyond any double", R"({"periods":[{"date":"2025-01-01","id":2e520}]})", kBroken,
       ImportFormat::kUnknown, "number overflow"},
      {"nested without end", std::string(100000, '['), kBroken, ImportFormat::kUnknown,
       "nested more than 64 levels"},
      {"Menstrudel logs not a list", R"({"periods":[],"period_logs":{}})", kBroken,
       ImportFormat::kMenstrudel, "period_logs is not a list"},
      {"Menstrudel log without flow",
       R"({"period_logs":[{"id":1,"date":"2025-01-01T00:00:00.000"}]})", kBroken,
       ImportFormat::kMenstrudel, "period_logs[0].flow is missing"},
      {"Menstrudel time of day", R"({"period_logs":[{"date":"2025-01-01T25:00:00","flow":2}]})",
       kBroken, ImportFormat::kMenstrudel, "period_logs[0].date: '2025-01-01T25:00:00'"},
      {"Periodical row without a date",
       R"([{"version":6},{"data":[{"eventtype":"1","eventdate":"20250101"},{"eventtype":"1"}]}])",
       kBroken, ImportFormat::kPeriodicalBackup, "data[1].eventdate is missing"},
      {"Periodical backup without data", R"([{"version":6},{"options":[]}])", kBroken,
       ImportFormat::kPeriodicalBackup, "no data list"},
      {"Periodical part that is no object", R"([{"version":6},5])", kBroken,
       ImportFormat::kPeriodicalBackup, "[1] is not an object"},
      {"Mensinator month 13", R"({"periods":[{"date":"2025-13-01","period_id":"1"}]})", kBroken,
       ImportFormat::kMensinator, "periods[0].date: '2025-13-01' is not a real date"},
      {"Clue period without date", R"([{"type":"period","id":"x"}])", kBroken, ImportFormat::kClue,
       "[0].date is missing"},
  });
}

TEST(ImportRefusal, DamagedGzipAndDatabases) {
  const std::string backup = ReadSample("periodical-clean.json.gz");
  std::string flipped = backup;
  flipped[flipped.size() / 2] = static_cast<char>(flipped[flipped.size() / 2] ^ 0x55);
  const std::string database = ReadSample("periodical-legacy-main.db");
  ExpectRefusals({
      {"gzip cut short", backup.substr(0, backup.size() / 2), kBroken, ImportFormat::kUnknown,
       "ends early"},
      {"gzip with a damaged byte", flipped, kBroken, ImportFormat::kUnknown, "damaged"},
      {"Periodical database with an ISO date",
       Database("CREATE TABLE data(eventtype integer, eventdate varchar(8));"
                "INSERT INTO data VALUES (2, '20250102'), (1, '2025-01-01');"),
       kBroken, ImportFormat::kPeriodicalDatabase, "row 2 of table data: eventdate"},
      {"database cut short", database.substr(0, 2048), kBroken, ImportFormat::kPeriodicalDatabase,
       "damaged"},
  });
}

TEST(ImportRefusal, NothingOver64MiBIsRead) {
  // Binary from the first byte, so that the size is all that is looked at.
  std::string bytes(kMaxImportBytes, ' ');
  bytes[0] = '\0';
  EXPECT_EQ(ParseTrackerFile(bytes).problem, kUnknown);  // exactly 64 MiB is still read
  const std::string packed = Gzip(bytes);
  EXPECT_EQ(ParseTrackerFile(packed).problem, kUnknown);
  bytes.push_back(' ');
  const ImportParse large = ParseTrackerFile(bytes);
  EXPECT_EQ(large.problem, ImportProblem::kTooLarge);
  EXPECT_NE(large.error.find("larger than 64 MiB"), std::string::npos) << large.error;
  const ImportParse inflated = ParseTrackerFile(Gzip(bytes));
  EXPECT_EQ(inflated.problem, ImportProblem::kTooLarge);
  EXPECT_NE(inflated.error.find("expands to more than 64 MiB"), std::string::npos)
      << inflated.error;
}

// gzip allows several members one after another; each is read on.
TEST(ImportRefusal, GzipMembersAreReadInTurn) {
  const std::string payload = ReadSample("periodical-messy.payload.json");
  const std::string split = Gzip(payload.substr(0, 100)) + Gzip(payload.substr(100));
  const ImportParse parse = ParseTrackerFile(split);
  EXPECT_EQ(parse.problem, ImportProblem::kNone) << parse.error;
  EXPECT_EQ(parse.starts.size(), ParseTrackerFile(payload).starts.size());
}

}  // namespace
