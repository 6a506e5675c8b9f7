// The history's SQLite file. Every statement is prepared from the fixed texts below; the file
// is opened defensively (no triggers or views of someone else's schema run, no
// writable_schema), so a planted database can make Cyclune refuse it but do nothing else.
#include "history/history_file.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string_view>

namespace {

constexpr int kBusyWaitMs = 2000;  // another connection (sqlite3 by hand) holding the file

// Migration N brings a file of version N - 1 to version N; version 0 is a new, empty file.
constexpr const char* kMigrations[] = {
    // 1: operations with the five values before and after, the starts an import added.
    "CREATE TABLE operation ("
    " id INTEGER PRIMARY KEY,"
    " batch INTEGER NOT NULL,"
    " kind TEXT NOT NULL,"
    " start_day INTEGER NOT NULL DEFAULT 0,"  // days from 1970-01-01
    " start_ms INTEGER NOT NULL DEFAULT 0,"   // time of day, ms after midnight
    " recorded_at TEXT NOT NULL,"             // local YYYY-MM-DDTHH:MM:SS
    " source TEXT NOT NULL,"
    " format TEXT NOT NULL DEFAULT '',"
    " file TEXT NOT NULL DEFAULT '',"
    " target INTEGER NOT NULL DEFAULT 0,"
    " before_cycle_length INTEGER NOT NULL, before_luteal_phase INTEGER NOT NULL,"
    " before_menstrual_days INTEGER NOT NULL, before_last_period_high INTEGER NOT NULL,"
    " before_last_period_low INTEGER NOT NULL,"
    " after_cycle_length INTEGER NOT NULL, after_luteal_phase INTEGER NOT NULL,"
    " after_menstrual_days INTEGER NOT NULL, after_last_period_high INTEGER NOT NULL,"
    " after_last_period_low INTEGER NOT NULL);"
    "CREATE INDEX operation_batch ON operation(batch);"
    "CREATE TABLE import_start ("
    " operation INTEGER NOT NULL, day INTEGER NOT NULL, ms INTEGER NOT NULL,"
    " PRIMARY KEY (operation, day)) WITHOUT ROWID;",
};
static_assert(sizeof kMigrations / sizeof kMigrations[0] == kHistorySchemaVersion);

constexpr const char* kKindNames[] = {"base", "record", "undo", "remove", "import"};

constexpr char kSelectOperations[] =
    "SELECT id, batch, kind, start_day, start_ms, recorded_at, source, format, file, target,"
    " before_cycle_length, before_luteal_phase, before_menstrual_days,"
    " before_last_period_high, before_last_period_low,"
    " after_cycle_length, after_luteal_phase, after_menstrual_days,"
    " after_last_period_high, after_last_period_low FROM operation ORDER BY id";
constexpr char kInsertOperation[] =
    "INSERT INTO operation VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)";

template <typename Enum, std::size_t N>
bool EnumOf(const unsigned char* text, const char* const (&names)[N], Enum* value) {
  if (text == nullptr) return false;
  for (std::size_t i = 0; i < N; ++i) {
    if (std::strcmp(reinterpret_cast<const char*>(text), names[i]) == 0) {
      *value = static_cast<Enum>(i);
      return true;
    }
  }
  return false;
}

std::string TextOf(sqlite3_stmt* statement, int column) {
  const unsigned char* text = sqlite3_column_text(statement, column);
  return text == nullptr ? std::string() : reinterpret_cast<const char*>(text);
}

// One prepared statement, finalized when it goes.
class Statement {
 public:
  Statement(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr); }
  ~Statement() { sqlite3_finalize(statement_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  sqlite3_stmt* get() const { return statement_; }
  bool ok() const { return statement_ != nullptr; }

 private:
  sqlite3_stmt* statement_ = nullptr;
};

bool Fail(sqlite3* db, std::string* problem) {
  *problem = sqlite3_errmsg(db);
  return false;
}

bool Exec(sqlite3* db, const char* sql, std::string* problem) {
  return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK || Fail(db, problem);
}

// The single integer a pragma answers.
bool PragmaNumber(sqlite3* db, const char* sql, std::int64_t* value, std::string* problem) {
  Statement statement(db, sql);
  if (!statement.ok() || sqlite3_step(statement.get()) != SQLITE_ROW) return Fail(db, problem);
  *value = sqlite3_column_int64(statement.get(), 0);
  return true;
}

void ReadSettings(sqlite3_stmt* row, int first, StoredSettings* settings) {
  settings->CycleLength = sqlite3_column_int(row, first);
  settings->LutealPhase = sqlite3_column_int(row, first + 1);
  settings->MenstrualDays = sqlite3_column_int(row, first + 2);
  settings->LastPeriodHigh = static_cast<std::uint32_t>(sqlite3_column_int64(row, first + 3));
  settings->LastPeriodLow = static_cast<std::uint32_t>(sqlite3_column_int64(row, first + 4));
}

void BindSettings(sqlite3_stmt* statement, int first, const StoredSettings& settings) {
  sqlite3_bind_int(statement, first, settings.CycleLength);
  sqlite3_bind_int(statement, first + 1, settings.LutealPhase);
  sqlite3_bind_int(statement, first + 2, settings.MenstrualDays);
  sqlite3_bind_int64(statement, first + 3, settings.LastPeriodHigh);
  sqlite3_bind_int64(statement, first + 4, settings.LastPeriodLow);
}

bool ReadOperation(sqlite3_stmt* row, HistoryOperation* operation) {
  operation->id = sqlite3_column_int64(row, 0);
  operation->batch = sqlite3_column_int64(row, 1);
  operation->start.day = sqlite3_column_int64(row, 3);
  operation->start.time_ms = sqlite3_column_int(row, 4);
  operation->recorded_at = TextOf(row, 5);
  operation->format = TextOf(row, 7);
  operation->file = TextOf(row, 8);
  operation->target = sqlite3_column_int64(row, 9);
  ReadSettings(row, 10, &operation->before);
  ReadSettings(row, 15, &operation->after);
  return EnumOf(sqlite3_column_text(row, 2), kKindNames, &operation->kind) &&
         EnumOf(sqlite3_column_text(row, 6), kHistorySourceNames, &operation->source);
}

bool InsertOperation(sqlite3* db, const HistoryOperation& operation, std::string* problem) {
  Statement insert(db, kInsertOperation);
  if (!insert.ok()) return Fail(db, problem);
  sqlite3_stmt* s = insert.get();
  sqlite3_bind_int64(s, 1, operation.id);
  sqlite3_bind_int64(s, 2, operation.batch);
  sqlite3_bind_text(s, 3, kKindNames[static_cast<int>(operation.kind)], -1, SQLITE_STATIC);
  sqlite3_bind_int64(s, 4, operation.start.day);
  sqlite3_bind_int(s, 5, operation.start.time_ms);
  sqlite3_bind_text(s, 6, operation.recorded_at.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_bind_text(s, 7, kHistorySourceNames[static_cast<int>(operation.source)], -1,
                    SQLITE_STATIC);
  sqlite3_bind_text(s, 8, operation.format.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_bind_text(s, 9, operation.file.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_bind_int64(s, 10, operation.target);
  BindSettings(s, 11, operation.before);
  BindSettings(s, 16, operation.after);
  if (sqlite3_step(s) != SQLITE_DONE) return Fail(db, problem);
  Statement start(db, "INSERT INTO import_start VALUES (?,?,?)");
  if (!start.ok()) return Fail(db, problem);
  for (const Recording& recording : operation.starts) {
    sqlite3_reset(start.get());
    sqlite3_bind_int64(start.get(), 1, operation.id);
    sqlite3_bind_int64(start.get(), 2, recording.day);
    sqlite3_bind_int(start.get(), 3, recording.time_ms);
    if (sqlite3_step(start.get()) != SQLITE_DONE) return Fail(db, problem);
  }
  return true;
}

bool ApplyChange(sqlite3* db, const HistoryChange& change, std::string* problem) {
  if (change.drop_batch != 0) {
    for (const char* sql :
         {"DELETE FROM import_start WHERE operation IN (SELECT id FROM operation WHERE batch = ?)",
          "DELETE FROM operation WHERE batch = ?"}) {
      Statement drop(db, sql);
      if (!drop.ok()) return Fail(db, problem);
      sqlite3_bind_int64(drop.get(), 1, change.drop_batch);
      if (sqlite3_step(drop.get()) != SQLITE_DONE) return Fail(db, problem);
    }
  }
  for (const HistoryOperation& operation : change.added) {
    if (!InsertOperation(db, operation, problem)) return false;
  }
  return true;
}

// Runs `body` between BEGIN IMMEDIATE and COMMIT, rolling back when it fails.
template <typename Body>
bool InTransaction(sqlite3* db, std::string* problem, Body body) {
  if (!Exec(db, "BEGIN IMMEDIATE", problem)) return false;
  if (body() && Exec(db, "COMMIT", problem)) return true;
  sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
  return false;
}

bool Migrate(sqlite3* db, std::int64_t from, std::string* problem) {
  return InTransaction(db, problem, [&] {
    for (std::int64_t version = from + 1; version <= kHistorySchemaVersion; ++version) {
      if (!Exec(db, kMigrations[version - 1], problem)) return false;
    }
    const std::string stamp = "PRAGMA application_id = " + std::to_string(kHistoryApplicationId) +
                              "; PRAGMA user_version = " + std::to_string(kHistorySchemaVersion);
    return Exec(db, stamp.c_str(), problem);
  });
}

// Whether the open database is a history this build can use, brought to its schema.
HistoryOpen CheckAndMigrate(sqlite3* db, bool empty_file, std::string* problem) {
  std::int64_t application = 0, version = 0;
  if (!PragmaNumber(db, "PRAGMA application_id", &application, problem) ||
      !PragmaNumber(db, "PRAGMA user_version", &version, problem)) {
    const bool database = sqlite3_errcode(db) != SQLITE_NOTADB;
    *problem = (database ? "it is damaged (" : "it is not a Cyclune history (") + *problem + ")";
    return HistoryOpen::kRefused;
  }
  if (!empty_file && application != kHistoryApplicationId) {
    *problem = "it is the database of another program";
    return HistoryOpen::kRefused;
  }
  if (version > kHistorySchemaVersion) {
    *problem = "it was written by a newer Cyclune (version " + std::to_string(version) +
               " of the history; this one reads up to " + std::to_string(kHistorySchemaVersion) +
               ")";
    return HistoryOpen::kRefused;
  }
  Statement check(db, "PRAGMA quick_check(1)");
  const bool checked = check.ok() && sqlite3_step(check.get()) == SQLITE_ROW;
  const std::string verdict = checked ? TextOf(check.get(), 0) : sqlite3_errmsg(db);
  if (verdict != "ok") {
    *problem = "it is damaged (" + verdict + ")";
    return HistoryOpen::kRefused;
  }
  if (version < kHistorySchemaVersion && !Migrate(db, version, problem))
    return HistoryOpen::kFailed;
  return HistoryOpen::kOpened;
}

// Makes an empty file 0600, durably named in its folder. EEXIST is no failure: a file was
// made meanwhile, and it is opened as found.
bool CreateEmpty(const std::string& path, std::string* problem) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) {
    if (errno == EEXIST) return true;
    *problem = std::strerror(errno);
    return false;
  }
  const bool made = ::fchmod(fd, 0600) == 0 && ::fsync(fd) == 0;
  const int error = errno;
  ::close(fd);
  const std::string folder = path.substr(0, path.rfind('/'));
  const int dir = ::open(folder.empty() ? "/" : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  if (!made) *problem = std::strerror(error);
  return made;
}

// What is at `path` before SQLite is let near it: absent, or a plain file of our own that we
// may read (made private again when others could read it); kRefused otherwise.
HistoryOpen CheckPath(const std::string& path, bool* absent, bool* empty, std::string* problem) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) {
    *absent = errno == ENOENT;
    *problem = std::strerror(errno);
    return *absent ? HistoryOpen::kAbsent : HistoryOpen::kFailed;
  }
  *absent = false;
  *empty = st.st_size == 0;
  if (S_ISLNK(st.st_mode))
    *problem = "it is a symbolic link";
  else if (!S_ISREG(st.st_mode))
    *problem = "it is not a plain file";
  else if (st.st_uid != ::geteuid())
    *problem = "it belongs to another user";
  if (!problem->empty()) return HistoryOpen::kRefused;
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    *problem = std::string("it cannot be read (") + std::strerror(errno) + ")";
    return HistoryOpen::kRefused;
  }
  if ((st.st_mode & 077) != 0) ::fchmod(fd, st.st_mode & 0700);
  ::close(fd);
  return HistoryOpen::kOpened;
}

}  // namespace

struct HistoryFile {
  sqlite3* db = nullptr;
};

HistoryOpen OpenHistoryFile(const std::string& path, bool create, HistoryFile** file,
                            std::string* problem) {
  *file = nullptr;
  problem->clear();
  bool absent = false, empty = false;
  HistoryOpen found = CheckPath(path, &absent, &empty, problem);
  if (absent && create) {
    problem->clear();
    if (!CreateEmpty(path, problem)) return HistoryOpen::kFailed;
    found = CheckPath(path, &absent, &empty, problem);
  }
  if (found != HistoryOpen::kOpened) return found;
  sqlite3* db = nullptr;
  constexpr int kFlags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW | SQLITE_OPEN_NOMUTEX;
  if (sqlite3_open_v2(path.c_str(), &db, kFlags, nullptr) != SQLITE_OK) {
    *problem = db != nullptr ? sqlite3_errmsg(db) : "out of memory";
    sqlite3_close(db);
    return HistoryOpen::kFailed;
  }
  sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
  sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
  sqlite3_busy_timeout(db, kBusyWaitMs);
  HistoryOpen state = CheckAndMigrate(db, empty, problem);
  std::string ignored;
  if (state == HistoryOpen::kOpened && !(Exec(db, "PRAGMA journal_mode = DELETE", problem) &&
                                         Exec(db, "PRAGMA synchronous = FULL", problem))) {
    state = HistoryOpen::kFailed;
  }
  if (state != HistoryOpen::kOpened) {
    sqlite3_close(db);
    return state;
  }
  *file = new HistoryFile{db};
  return HistoryOpen::kOpened;
}

bool ReadHistoryOperations(HistoryFile* file, std::vector<HistoryOperation>* operations,
                           std::string* problem) {
  operations->clear();
  Statement select(file->db, kSelectOperations);
  if (!select.ok()) return Fail(file->db, problem);
  int step = SQLITE_ROW;
  while ((step = sqlite3_step(select.get())) == SQLITE_ROW) {
    HistoryOperation operation;
    if (!ReadOperation(select.get(), &operation)) {
      *problem = "operation " + std::to_string(operation.id) + " is of no known kind or source";
      return false;
    }
    operations->push_back(std::move(operation));
  }
  if (step != SQLITE_DONE) return Fail(file->db, problem);
  Statement starts(file->db, "SELECT operation, day, ms FROM import_start ORDER BY operation, day");
  if (!starts.ok()) return Fail(file->db, problem);
  auto into = operations->begin();
  while ((step = sqlite3_step(starts.get())) == SQLITE_ROW) {
    const std::int64_t id = sqlite3_column_int64(starts.get(), 0);
    while (into != operations->end() && into->id < id) ++into;
    if (into == operations->end() || into->id != id) continue;  // an orphan: nothing to add it to
    into->starts.push_back(
        Recording{sqlite3_column_int64(starts.get(), 1), sqlite3_column_int(starts.get(), 2)});
  }
  return step == SQLITE_DONE || Fail(file->db, problem);
}

bool CommitHistoryChange(HistoryFile* file, const HistoryChange& change, std::string* problem) {
  if (change.empty()) return true;
  return InTransaction(file->db, problem, [&] { return ApplyChange(file->db, change, problem); });
}

void CloseHistoryFile(HistoryFile* file) {
  if (file == nullptr) return;
  sqlite3_close(file->db);
  delete file;
}
