#include "app/command_line.h"

#include <getopt.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

enum class Value { kNone, kRequired, kOptional };

// What an option is: one of the front ends, one of the commands, or a setting for them. A run
// is one front end or one command, so the first two kinds each come at most once, and never
// together.
enum class Kind { kSetting, kFrontEnd, kCommand };

using Apply = bool (*)(std::string_view value, CommandLine* line, std::string* error);

struct OptionEntry {
  const char* name;   // the long name without "--"
  Value value;        // kOptional: the next argument is the value unless it starts with '-'
  const char* shown;  // the option as the usage shows it
  const char* help;   // the usage's words for it
  Apply apply;
  Kind kind = Kind::kSetting;
};

// "'text'" for messages.
std::string Quoted(std::string_view text) {
  std::string quoted(1, '\'');
  quoted.append(text);
  quoted.push_back('\'');
  return quoted;
}

bool SetFrontEnd(CommandLine* line, FrontEnd front_end) {
  line->front_end = front_end;
  return true;
}

bool SetCommand(CommandLine* line, ScriptCommand command) {
  line->command = command;
  line->date_given = false;
  return true;
}

bool ApplyReport(std::string_view value, CommandLine* line, std::string* error) {
  SetCommand(line, ScriptCommand::kReport);
  if (value.empty()) return true;
  line->date_given = ParseDayArgument(value, &line->date);
  if (!line->date_given) *error = "--report wants a real date YYYY-MM-DD, not " + Quoted(value);
  return line->date_given;
}

bool ApplyMonth(std::string_view value, CommandLine* line, std::string* error) {
  SetCommand(line, ScriptCommand::kMonth);
  if (value.empty()) return true;
  line->date_given = ParseMonthArgument(value, &line->date);
  if (!line->date_given) *error = "--month wants a month YYYY-MM, not " + Quoted(value);
  return line->date_given;
}

bool ApplyHistory(std::string_view value, CommandLine* line, std::string* error) {
  SetCommand(line, ScriptCommand::kHistory);
  if (value.empty() || value == "text") {
    line->history_format = HistoryFormat::kText;
  } else if (value == "json" || value == "csv") {
    line->history_format = value == "json" ? HistoryFormat::kJson : HistoryFormat::kCsv;
  } else {
    *error = "--history wants text, json or csv, not " + Quoted(value);
    return false;
  }
  return true;
}

// --record and --remove: the day they name.
bool ApplyHistoryDay(ScriptCommand command, const char* option, std::string_view value,
                     CommandLine* line, std::string* error) {
  SetCommand(line, command);
  line->date_given = ParseDayArgument(value, &line->date);
  if (!line->date_given)
    *error = std::string(option) + " wants a real date YYYY-MM-DD, not " + Quoted(value);
  return line->date_given;
}

bool ApplyColour(std::string_view value, CommandLine* line, std::string* error) {
  if (value == "auto" || value == "always" || value == "never") {
    line->colour = value == "auto"     ? ColourChoice::kAuto
                   : value == "always" ? ColourChoice::kAlways
                                       : ColourChoice::kNever;
    return true;
  }
  *error = "--color wants auto, always or never, not " + Quoted(value);
  return false;
}

bool ApplySize(std::string_view value, CommandLine* line, std::string* error) {
  if (ParseClientSize(value, &line->headless.width, &line->headless.height)) return true;
  *error = "--size wants WxH with each side 0 to 8192, not " + Quoted(value);
  return false;
}

bool ApplyNow(std::string_view value, CommandLine* line, std::string* error) {
  line->fixed_now = ParseLocalTimeArgument(value, &line->now);
  if (!line->fixed_now) {
    *error = "--now wants a real date and time YYYY-MM-DDTHH:MM:SS (year 0 to 65535), not " +
             Quoted(value);
  }
  return line->fixed_now;
}

// A number of days 0 to kMaxReminderDays, as --days-before and --alarm take.
bool ParseReminderDays(std::string_view value, int* days) {
  if (value.empty() || value.size() > 2) return false;
  int number = 0;
  for (const char c : value) {
    if (c < '0' || c > '9') return false;
    number = number * 10 + (c - '0');
  }
  if (number > kMaxReminderDays) return false;
  *days = number;
  return true;
}

bool ApplyDaysBefore(std::string_view value, CommandLine* line, std::string* error) {
  if (ParseReminderDays(value, &line->days_before)) return true;
  *error = "--days-before wants a number of days 0 to 14, not " + Quoted(value);
  return false;
}

bool ApplyAlarm(std::string_view value, CommandLine* line, std::string* error) {
  if (ParseReminderDays(value, &line->alarm_days)) return true;
  *error = "--alarm wants a number of days 0 to 14, not " + Quoted(value);
  return false;
}

bool SetFlag(bool* flag) {
  *flag = true;
  return true;
}

// The options, in the order of the usage.
constexpr OptionEntry kOptions[] = {
    {"window", Value::kNone, "--window", "open the desktop window (default with a display)",
     [](std::string_view, CommandLine* line, std::string*) {
       return SetFrontEnd(line, FrontEnd::kWindow);
     },
     Kind::kFrontEnd},
    {"terminal", Value::kNone, "--terminal", "run in this terminal (default without a display)",
     [](std::string_view, CommandLine* line, std::string*) {
       return SetFrontEnd(line, FrontEnd::kTerminal);
     },
     Kind::kFrontEnd},
    {"headless", Value::kNone, "--headless", "run off-screen on a script of input events",
     [](std::string_view, CommandLine* line, std::string*) {
       return SetFrontEnd(line, FrontEnd::kHeadless);
     },
     Kind::kFrontEnd},
    {"size", Value::kRequired, "--size WxH", "headless client area, pixels 0 to 8192 (240x266)",
     ApplySize},
    {"now", Value::kRequired, "--now YYYY-MM-DDTHH:MM:SS", "take this local date and time as now",
     ApplyNow},
    {"script", Value::kRequired, "--script FILE", "headless script; none or - reads standard input",
     [](std::string_view value, CommandLine* line, std::string*) {
       line->headless.script = value;
       return true;
     }},
    {"out", Value::kRequired, "--out DIR", "headless output directory (the current one)",
     [](std::string_view value, CommandLine* line, std::string*) {
       line->headless.out_dir = value;
       return true;
     }},
    {"single-instance", Value::kNone, "--single-instance",
     "headless: keep to one instance per settings folder",
     [](std::string_view, CommandLine* line, std::string*) {
       line->headless.single_instance = true;
       return true;
     }},
    {"report", Value::kOptional, "--report [YYYY-MM-DD]",
     "print the day report of that day (today)", ApplyReport, Kind::kCommand},
    {"month", Value::kOptional, "--month [YYYY-MM]", "print that month (this month) as text",
     ApplyMonth, Kind::kCommand},
    {"color", Value::kRequired, "--color=auto|always|never",
     "colours for --month (auto: on a terminal)", ApplyColour},
    {"cues", Value::kNone, "--cues", "mark each day's kind by shape too (CYCLUNE_CUES=1)",
     [](std::string_view, CommandLine* line, std::string*) {
       line->cues = true;
       return true;
     }},
    {"cursor", Value::kNone, "--cursor", "terminal: show the cursor (CYCLUNE_CURSOR=1)",
     [](std::string_view, CommandLine* line, std::string*) {
       line->cursor = true;
       return true;
     }},
    {"ics", Value::kOptional, "--ics [FILE]", "iCalendar of the predictions; none or -: stdout",
     [](std::string_view value, CommandLine* line, std::string*) {
       SetCommand(line, ScriptCommand::kIcs);
       line->file = value;
       return true;
     },
     Kind::kCommand},
    {"alarm", Value::kRequired, "--alarm DAYS", "with --ics: an alarm DAYS days before each period",
     ApplyAlarm},
    {"remind", Value::kNone, "--remind", "say once what is due today, as a notification",
     [](std::string_view, CommandLine* line, std::string*) {
       return SetCommand(line, ScriptCommand::kRemind);
     },
     Kind::kCommand},
    {"days-before", Value::kRequired, "--days-before N",
     "with --remind: a period due in N days or fewer (2)", ApplyDaysBefore},
    {"fertile", Value::kNone, "--fertile", "with --remind: a fertile window starting tomorrow",
     [](std::string_view, CommandLine* line, std::string*) { return SetFlag(&line->fertile); }},
    {"discreet", Value::kNone, "--discreet", "no health words in a reminder (CYCLUNE_DISCREET=1)",
     [](std::string_view, CommandLine* line, std::string*) { return SetFlag(&line->discreet); }},
    {"print", Value::kNone, "--print", "with --remind: print instead of a notification",
     [](std::string_view, CommandLine* line, std::string*) { return SetFlag(&line->print_only); }},
    {"import", Value::kRequired, "--import FILE", "record the periods of another tracker's export",
     [](std::string_view value, CommandLine* line, std::string* error) {
       SetCommand(line, ScriptCommand::kImport);
       line->file = value;
       if (value.empty()) *error = "--import needs a file name";
       return !value.empty();
     },
     Kind::kCommand},
    {"history", Value::kOptional, "--history[=text|json|csv]",
     "print the recorded periods and their statistics", ApplyHistory, Kind::kCommand},
    {"undo", Value::kNone, "--undo", "undo the last recording, removal or import",
     [](std::string_view, CommandLine* line, std::string*) {
       return SetCommand(line, ScriptCommand::kUndo);
     },
     Kind::kCommand},
    {"record", Value::kRequired, "--record YYYY-MM-DD", "set the last period to that day",
     [](std::string_view value, CommandLine* line, std::string* error) {
       return ApplyHistoryDay(ScriptCommand::kRecord, "--record", value, line, error);
     },
     Kind::kCommand},
    {"remove", Value::kRequired, "--remove YYYY-MM-DD",
     "take that start out, replay the later ones",
     [](std::string_view value, CommandLine* line, std::string* error) {
       return ApplyHistoryDay(ScriptCommand::kRemove, "--remove", value, line, error);
     },
     Kind::kCommand},
    {"dry-run", Value::kNone, "--dry-run", "with --import or the history: show, write nothing",
     [](std::string_view, CommandLine* line, std::string*) {
       line->dry_run = true;
       return true;
     }},
    {"help", Value::kNone, "--help", "print this help and exit",
     [](std::string_view, CommandLine* line, std::string*) {
       line->information = Information::kHelp;
       return true;
     }},
    {"version", Value::kNone, "--version", "print the version and exit",
     [](std::string_view, CommandLine* line, std::string*) {
       line->information = Information::kVersion;
       return true;
     }},
};
constexpr int kOptionCount = static_cast<int>(sizeof kOptions / sizeof kOptions[0]);
constexpr int kFirstOptionCode = 0x100;  // getopt's codes for the table, past every character

constexpr char kForms[] =
    "Usage: cyclune [--window | --terminal [--cursor]] [--now YYYY-MM-DDTHH:MM:SS]\n"
    "       cyclune --headless [--size WxH] [--now YYYY-MM-DDTHH:MM:SS]\n"
    "                          [--script FILE] [--out DIR] [--single-instance]\n"
    "       cyclune --report [YYYY-MM-DD] | --month [YYYY-MM] [--color=WHEN]\n"
    "       cyclune --ics [FILE] [--alarm DAYS]\n"
    "       cyclune --remind [--days-before N] [--fertile] [--discreet] [--print]\n"
    "       cyclune --import FILE [--dry-run] [--now YYYY-MM-DDTHH:MM:SS]\n"
    "       cyclune --history[=text|json|csv] | --undo | --record YYYY-MM-DD\n"
    "               | --remove YYYY-MM-DD  [--dry-run] [--now YYYY-MM-DDTHH:MM:SS]\n"
    "       cyclune --help | --version\n"
    "A private fertility calendar: one month at a time, each day coloured by its\n"
    "place in the menstrual cycle.\n"
    "\n";

constexpr char kFooter[] =
    "\n"
    "Script lines: key CODE, tap X Y, command ID, resize W H, shot NAME.\n"
    "Settings: ${XDG_CONFIG_HOME:-~/.config}/cyclune/registry.reg (mode 0600).\n"
    "See cyclune(1) for the keys, the colours, the script and the commands.\n";

constexpr std::size_t kHelpColumn = 29;

std::vector<option> GetoptTable() {
  std::vector<option> table;
  for (int i = 0; i < kOptionCount; ++i) {
    const int has_arg = kOptions[i].value == Value::kNone       ? no_argument
                        : kOptions[i].value == Value::kRequired ? required_argument
                                                                : optional_argument;
    table.push_back(option{kOptions[i].name, has_arg, nullptr, kFirstOptionCode + i});
  }
  table.push_back(option{nullptr, 0, nullptr, 0});
  return table;
}

// getopt_long also takes unambiguous abbreviations; ours are taken whole.
bool IsWholeName(std::string_view argument, const OptionEntry& entry) {
  const std::string name = std::string("--") + entry.name;
  return argument == name || argument.substr(0, name.size() + 1) == name + "=";
}

bool Unknown(std::string_view argument, CommandLine* line, std::string* error) {
  *error = "unknown option " + Quoted(argument);
  line->unknown_option = true;
  return false;
}

// A value that may follow an option of Value::kOptional as the next argument.
bool TakesNextAsValue(int argc, char** argv) {
  return optind < argc && (argv[optind][0] != '-' || std::strcmp(argv[optind], "-") == 0);
}

// The front end and the command named so far. Only one of them runs, so a second of either,
// or one of each, is refused rather than left for the last to win unseen.
struct Modes {
  const OptionEntry* front_end = nullptr;
  const OptionEntry* command = nullptr;
};

bool TakeMode(const OptionEntry& entry, Modes* modes, std::string* error) {
  if (entry.kind == Kind::kSetting) return true;
  const bool command = entry.kind == Kind::kCommand;
  const OptionEntry*& earlier = command ? modes->command : modes->front_end;
  const std::string name = std::string("--") + entry.name;
  if (earlier == &entry) {
    *error = name + " is given twice: give it once";
    return false;
  }
  if (earlier != nullptr) {
    *error = std::string("--") + earlier->name + " and " + name + " are two " +
             (command ? "commands" : "front ends") + ": give one of them";
    return false;
  }
  earlier = &entry;
  if (modes->command != nullptr && modes->front_end != nullptr) {
    *error = std::string("--") + modes->command->name +
             " does not open the calendar: leave out --window, --terminal, --headless";
    return false;
  }
  return true;
}

// Settings that go with one command only.
bool CheckCombination(const CommandLine& line, std::string* error) {
  const bool writing =
      line.command == ScriptCommand::kImport || line.command == ScriptCommand::kHistory ||
      line.command == ScriptCommand::kUndo || line.command == ScriptCommand::kRecord ||
      line.command == ScriptCommand::kRemove;
  if (line.dry_run && !writing) {
    *error = "--dry-run goes with --import FILE, --history, --undo, --record or --remove";
    return false;
  }
  if (line.alarm_days >= 0 && line.command != ScriptCommand::kIcs) {
    *error = "--alarm goes with --ics";
    return false;
  }
  const bool reminding = line.command == ScriptCommand::kRemind;
  if (!reminding && (line.days_before >= 0 || line.fertile || line.discreet || line.print_only)) {
    *error = "--days-before, --fertile, --discreet and --print go with --remind";
    return false;
  }
  return true;
}

}  // namespace

// Every date of the command line has the form and the years of --now's: a day is read as its
// midnight, a month as its 1st.
bool ParseDayArgument(std::string_view text, CivilDay* day) {
  LocalDateTime midnight{};
  if (!ParseLocalTimeArgument(std::string(text) + "T00:00:00", &midnight)) return false;
  *day = midnight.date;
  return true;
}

bool ParseMonthArgument(std::string_view text, CivilDay* day) {
  return ParseDayArgument(std::string(text) + "-01", day);
}

bool SwitchedOn(const char* variable) {
  return variable != nullptr && variable[0] != '\0' && std::string_view(variable) != "0";
}

bool WantDayMarks(const CommandLine& line, const char* cues_variable) {
  return line.cues || SwitchedOn(cues_variable);
}

bool WantCursor(const CommandLine& line, const char* cursor_variable) {
  return line.cursor || SwitchedOn(cursor_variable);
}

std::string UsageText() {
  std::string usage = kForms;
  for (const OptionEntry& entry : kOptions) {
    std::string line = std::string("  ") + entry.shown;
    line.resize(std::max(kHelpColumn, line.size() + 2), ' ');
    usage += line + entry.help + "\n";
  }
  return usage + kFooter;
}

bool ParseCommandLine(int argc, char** argv, CommandLine* line, std::string* error) {
  const std::vector<option> table = GetoptTable();
  Modes modes;
  optind = 0;  // a fresh scan, as glibc takes it
  opterr = 0;  // the messages are ours
  for (;;) {
    const int at = optind == 0 ? 1 : optind;  // the argument this call reads
    const int code = getopt_long(argc, argv, "+:", table.data(), nullptr);
    if (code == -1) {
      // "--" ends getopt's options; it is not an option of ours.
      if (at < argc && std::strcmp(argv[at], "--") == 0) return Unknown(argv[at], line, error);
      break;
    }
    const bool missing = code == ':';
    const int index = (missing ? optopt : code) - kFirstOptionCode;
    if (index < 0 || index >= kOptionCount || !IsWholeName(argv[at], kOptions[index])) {
      return Unknown(argv[at], line, error);
    }
    const OptionEntry& entry = kOptions[index];
    if (missing) {
      *error = std::string("option --") + entry.name + " needs a value";
      return false;
    }
    std::string_view value = optarg != nullptr ? optarg : "";
    if (optarg == nullptr && entry.value == Value::kOptional && TakesNextAsValue(argc, argv)) {
      value = argv[optind++];
    }
    if (!TakeMode(entry, &modes, error) || !entry.apply(value, line, error)) return false;
    if (line->information != Information::kNone) return true;  // nothing else will run
  }
  if (optind < argc) return Unknown(argv[optind], line, error);
  return CheckCombination(*line, error);
}
