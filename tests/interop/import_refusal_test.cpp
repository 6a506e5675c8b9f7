// Files that cannot be imported: none of the formats, a known format that is damaged or of the
// wrong shape (the message names the line, key or row), and files that are or become too large,
// in bytes or in the memory reading them would take: within the 64 MiB an import reads, a file
// costs time and memory in proportion to its size, or is refused in one line.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <fstream>
#include <iterator>
#include <string>

#include "interop/import_parse.h"

#if defined(__SANITIZE_ADDRESS__)
#define CYCLUNE_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define CYCLUNE_ADDRESS_SANITIZER 1
#endif
#endif

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

// `first`, then `item` as often as it fits in `bytes`, then `last`.
std::string Repeated(const std::string& first, const std::string& item, const std::string& last,
                     std::size_t bytes) {
  std::string text = first;
  while (text.size() + item.size() + last.size() <= bytes) text += item;
  return text + last;
}

// The address space this process has mapped, from /proc/self/status.
std::size_t AddressSpaceInUse() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmSize:", 0) == 0) return std::stoul(line.substr(7)) * 1024;  // in kB
  }
  return 0;
}

// The error of parsing `bytes` in a child process whose address space may grow by `headroom`
// bytes at most ("" when it reads), or how the child ended without one.
std::string ErrorWithin(const std::string& bytes, std::size_t headroom) {
  int ends[2];
  if (pipe(ends) != 0) return "no pipe";
  const pid_t child = fork();
  if (child == 0) {
    const rlim_t limit = AddressSpaceInUse() + headroom;
    const rlimit bound{limit, limit};
    std::string error = "no limit";
    try {  // no exception may reach the test framework's handler in this copy of it
      if (setrlimit(RLIMIT_AS, &bound) == 0) error = ParseTrackerFile(bytes).error;
    } catch (...) {
      error = "an exception";
    }
    _exit(write(ends[1], error.data(), error.size()) < 0 ? 1 : 0);
  }
  close(ends[1]);
  std::string error;
  char buffer[4096];
  for (ssize_t got; (got = read(ends[0], buffer, sizeof buffer)) > 0;) error.append(buffer, got);
  close(ends[0]);
  int status = 0;
  waitpid(child, &status, 0);
  return WIFSIGNALED(status) ? "ended by signal " + std::to_string(WTERMSIG(status)) : error;
}

TEST(ImportBounds, CostlyFilesAreRefusedWithinAnAddressLimit) {
#ifdef CYCLUNE_ADDRESS_SANITIZER
  GTEST_SKIP() << "AddressSanitizer maps far more address space than any limit here";
#endif
  const std::string kTooMany =
      "the JSON holds too many values: reading them would take more than 256 MiB of memory";
  const std::size_t kMiB = std::size_t{1} << 20;
  const struct {
    const char* name;
    std::string bytes;
    std::size_t headroom;
    std::string error;
  } cases[] = {
      {"a CSV line of 64 Mi empty fields, gzip", Gzip(std::string(kMaxImportBytes - 1, ',') + "\n"),
       1024 * kMiB, "text whose first line is neither a date nor a CSV header with a date column"},
      {"64 MiB of [[],[],...]", Repeated("[[]", ",[]", "]", kMaxImportBytes), 1024 * kMiB,
       kTooMany},
      {"64 MiB of [{},{},...]", Repeated("[{}", ",{}", "]", kMaxImportBytes), 1024 * kMiB,
       kTooMany},
      {"a quarter of a million objects, read",
       Repeated("[{\"type\":\"period\",\"date\":\"2025-01-01\"}", ",{}", "]", 750'000), 1024 * kMiB,
       ""},
      // Within every bound, but more than the memory left: the last resort.
      {"64 MiB of dates, memory for half their days",
       Repeated("", "2025-01-01\n", "", kMaxImportBytes), 36 * kMiB,
       "there is not enough memory to read it"},
  };
  for (const auto& c : cases) ASSERT_EQ(ErrorWithin(c.bytes, c.headroom), c.error) << c.name;
}

// A header of 100,000 columns is read in time linear in its length, and the note on the
// columns drip does not have stays one short line.
TEST(ImportBounds, WideDripHeaderNotesAFewColumnsAndCountsTheRest) {
  std::string text = "date,bleeding.value";
  for (int i = 0; i < 99'998; ++i) text += ",c" + std::to_string(i);
  const ImportParse parse = ParseTrackerFile(text + "\n2025-01-01,1\n");
  EXPECT_EQ(parse.problem, ImportProblem::kNone) << parse.error;
  EXPECT_EQ(parse.starts.size(), 1u);
  ASSERT_EQ(parse.notes.size(), 1u);
  EXPECT_EQ(parse.notes[0],
            "Ignored the columns 'c0', 'c1', 'c2' and 99995 more, which drip does not have.");
  text += ",c7";
  EXPECT_EQ(ParseTrackerFile(text).error, "line 1: column 'c7' appears twice");
}

}  // namespace
