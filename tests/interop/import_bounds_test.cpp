// Files made to be costly: small on disk or within the 64 MiB an import reads, they must cost
// time and memory in proportion to their size, and where reading them would need more memory
// than a few times that size, they are refused in one line, never ended by std::bad_alloc.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <fstream>
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

constexpr std::size_t kMiB = std::size_t{1} << 20;

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

struct Outcome {
  int status = 0;      // as waitpid gives it
  std::string report;  // the problem's number, a space and the error
};

// Parses `bytes` in a child process whose address space may grow by `headroom` bytes at most.
Outcome ParseWithin(const std::string& bytes, std::size_t headroom) {
  int ends[2];
  if (pipe(ends) != 0) return {};
  const pid_t child = fork();
  if (child == 0) {
    close(ends[0]);
    const rlim_t limit = AddressSpaceInUse() + headroom;
    const rlimit bound{limit, limit};
    if (setrlimit(RLIMIT_AS, &bound) != 0) _exit(3);
    std::string report;
    try {  // an exception must not reach the test framework's handler in this copy of it
      const ImportParse parse = ParseTrackerFile(bytes);
      report = std::to_string(static_cast<int>(parse.problem)) + " " + parse.error;
    } catch (...) {
      _exit(5);
    }
    _exit(write(ends[1], report.data(), report.size()) == static_cast<ssize_t>(report.size()) ? 0
                                                                                              : 4);
  }
  close(ends[1]);
  Outcome outcome;
  char buffer[4096];
  for (ssize_t got; (got = read(ends[0], buffer, sizeof buffer)) > 0;)
    outcome.report.append(buffer, got);
  close(ends[0]);
  waitpid(child, &outcome.status, 0);
  return outcome;
}

std::string Report(ImportProblem problem, const std::string& error) {
  return std::to_string(static_cast<int>(problem)) + " " + error;
}

TEST(ImportBounds, CostlyFilesAreRefusedWithinAnAddressLimit) {
#ifdef CYCLUNE_ADDRESS_SANITIZER
  GTEST_SKIP() << "AddressSanitizer maps far more address space than any limit here";
#endif
  const std::string kTooMany =
      "the JSON holds too many values: reading them would take more than 256 MiB of memory";
  struct Case {
    const char* name;
    std::string bytes;
    std::size_t headroom;
    std::string report;
  };
  const std::size_t kGiB = kMiB << 10;
  const Case cases[] = {
      {"a CSV line of 64 Mi empty fields, gzip", Gzip(std::string(kMaxImportBytes - 1, ',') + "\n"),
       kGiB,
       Report(ImportProblem::kUnknownFormat,
              "text whose first line is neither a date nor a CSV header with a date column")},
      {"64 MiB of [[],[],...]", Repeated("[[]", ",[]", "]", kMaxImportBytes), kGiB,
       Report(ImportProblem::kBroken, kTooMany)},
      {"64 MiB of [{},{},...]", Repeated("[{}", ",{}", "]", kMaxImportBytes), kGiB,
       Report(ImportProblem::kBroken, kTooMany)},
      {"a quarter of a million objects",
       Repeated("[{\"type\":\"period\",\"date\":\"2025-01-01\"}", ",{}", "]", 750'000), kGiB,
       Report(ImportProblem::kNone, "")},
      // Within every bound, but more than the memory left: the last resort.
      {"64 MiB of dates, memory for half their days",
       Repeated("", "2025-01-01\n", "", kMaxImportBytes), 36 * kMiB,
       Report(ImportProblem::kBroken, "there is not enough memory to read it")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Outcome outcome = ParseWithin(c.bytes, c.headroom);
    ASSERT_TRUE(WIFEXITED(outcome.status)) << "ended by signal " << WTERMSIG(outcome.status);
    EXPECT_EQ(WEXITSTATUS(outcome.status), 0) << "3: no limit, 4: no report, 5: an exception";
    EXPECT_EQ(outcome.report, c.report);
  }
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
