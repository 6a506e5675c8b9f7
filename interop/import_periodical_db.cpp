// Periodical's raw main.db (backups of its versions up to 1.72): a SQLite file read from
// memory. SQLite never opens the file: the bytes are handed over read-only, so neither the
// file nor a journal or log beside it can be written. The database comes from outside, so SQLite's
// defensive settings are on, the schema is not trusted and the work of a query is bounded.
#include <sqlite3.h>

#include <string>

#include "interop/import_formats.h"

namespace {

constexpr ImportFormat kFormat = ImportFormat::kPeriodicalDatabase;
constexpr int kProgressStep = 1000;               // virtual machine steps per progress call
constexpr std::int64_t kProgressCalls = 200'000;  // 2 x 10^8 steps: seconds, not hours
constexpr std::int64_t kPeriodStart = 1;

struct Database {
  sqlite3* db = nullptr;
  std::int64_t progress_calls = 0;
  ~Database() { sqlite3_close(db); }
};

int BoundWork(void* state) {
  return ++static_cast<Database*>(state)->progress_calls > kProgressCalls ? 1 : 0;
}

// The header bytes that give the versions SQLite needs to write and to read the file: 1 for
// a rollback journal, 2 for write-ahead logging (WAL).
constexpr std::size_t kWriteVersion = 18;
constexpr std::size_t kReadVersion = 19;
constexpr char kWal = 2;
constexpr char kRollback = 1;

bool InWalMode(std::string_view bytes) {
  return bytes.size() > kReadVersion &&
         (bytes[kWriteVersion] == kWal || bytes[kReadVersion] == kWal);
}

// Hands the bytes to SQLite as the database "main", read-only. A database in WAL mode would
// need the shared memory of a log beside it, which a database in memory cannot have; an import
// is given main.db alone, which without its log is a database like any other. So a copy is
// marked as using a rollback journal and read instead.
int Deserialize(sqlite3* db, std::string_view bytes) {
  const auto size = static_cast<sqlite3_int64>(bytes.size());
  if (!InWalMode(bytes)) {
    // READONLY: SQLite neither writes nor frees the buffer, which outlives the connection.
    auto* data = reinterpret_cast<unsigned char*>(const_cast<char*>(bytes.data()));
    return sqlite3_deserialize(db, "main", data, size, size, SQLITE_DESERIALIZE_READONLY);
  }
  auto* copy = static_cast<char*>(sqlite3_malloc64(static_cast<sqlite3_uint64>(size)));
  if (copy == nullptr) return SQLITE_NOMEM;
  bytes.copy(copy, bytes.size());
  copy[kWriteVersion] = copy[kWriteVersion] == kWal ? kRollback : copy[kWriteVersion];
  copy[kReadVersion] = copy[kReadVersion] == kWal ? kRollback : copy[kReadVersion];
  return sqlite3_deserialize(db, "main", reinterpret_cast<unsigned char*>(copy), size, size,
                             SQLITE_DESERIALIZE_READONLY | SQLITE_DESERIALIZE_FREEONCLOSE);
}

// Opens the bytes as a read-only database in memory; false with *error.
bool OpenFromMemory(std::string_view bytes, Database* database, std::string* error) {
  if (sqlite3_open_v2(":memory:", &database->db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    *error = "SQLite could not start";
    return false;
  }
  sqlite3* db = database->db;
  sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
  sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
  sqlite3_progress_handler(db, kProgressStep, BoundWork, database);
  if (Deserialize(db, bytes) != SQLITE_OK) {
    *error = std::string("SQLite could not read it (") + sqlite3_errmsg(db) + ")";
    return false;
  }
  return true;
}

// Whether `data` is a plain table with the columns eventtype and eventdate.
bool HasPeriodicalTable(sqlite3* db, std::string* error) {
  sqlite3_stmt* statement = nullptr;
  const char* query =
      "SELECT count(*) FROM sqlite_schema AS s, pragma_table_info('data') AS c "
      "WHERE s.name = 'data' AND s.type = 'table' AND s.sql NOT LIKE 'CREATE VIRTUAL%' "
      "AND c.name IN ('eventtype', 'eventdate')";
  int found = 0;
  int status = sqlite3_prepare_v2(db, query, -1, &statement, nullptr);
  if (status == SQLITE_OK && (status = sqlite3_step(statement)) == SQLITE_ROW) {
    found = sqlite3_column_int(statement, 0);
    status = SQLITE_OK;
  }
  if (status != SQLITE_OK) {
    *error = std::string("the database is damaged (") + sqlite3_errmsg(db) + ")";
  }
  sqlite3_finalize(statement);
  return status == SQLITE_OK && found == 2;
}

// The period starts of the data table; false with parse->error set.
bool ReadStarts(sqlite3* db, ImportParse* parse) {
  sqlite3_stmt* statement = nullptr;
  int status =
      sqlite3_prepare_v2(db, "SELECT eventtype, eventdate FROM data", -1, &statement, nullptr);
  std::int64_t row = 0;
  std::string why;
  while (status == SQLITE_OK && (status = sqlite3_step(statement)) == SQLITE_ROW) {
    status = SQLITE_OK;
    ++row;
    if (sqlite3_column_int64(statement, 0) != kPeriodStart) continue;
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, 1));
    ImportDay day;
    if (!ParseCompactDay(text == nullptr ? "" : text, &day, &why)) {
      *parse = Broken(kFormat, "row " + std::to_string(row) + " of table data: eventdate " + why);
      sqlite3_finalize(statement);
      return false;
    }
    parse->starts.push_back(day);
  }
  if (status != SQLITE_DONE) {
    *parse = Broken(kFormat, "row " + std::to_string(row + 1) + " of table data cannot be read (" +
                                 sqlite3_errmsg(db) + ")");
  }
  sqlite3_finalize(statement);
  return status == SQLITE_DONE;
}

}  // namespace

ImportParse ParsePeriodicalDatabase(std::string_view bytes) {
  Database database;
  std::string error;
  if (!OpenFromMemory(bytes, &database, &error)) return Broken(kFormat, error);
  if (!HasPeriodicalTable(database.db, &error)) {
    if (!error.empty()) return Broken(kFormat, error);
    return Unrecognised(
        "a SQLite database, but not Periodical's: it has no table "
        "data(eventtype, eventdate)");
  }
  ImportParse parse;
  parse.format = kFormat;
  ReadStarts(database.db, &parse);
  return parse;
}
