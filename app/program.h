// The program behind the command line: runs the front end or the command that a parsed
// command line names, and returns the exit status. It lives in the program module,
// cyclune-program.so, which the executable opens for everything but --help, --version and a
// command line it refuses; so those three answer in the time it takes to start a program
// that links the C++ library alone, without ICU, ncurses, libical, SQLite or zlib.
#pragma once

#include "app/command_line.h"
#include "platform/modules/module_loader.h"

// Runs what `line` asks for (no --help, --version: the executable answers those): a command
// (--report, --month, --ics, --import), the headless runner, the terminal or the window.
int RunProgram(const CommandLine& line);

// Its interface number is raised whenever ProgramModule or CommandLine changes.
constexpr ModuleName kProgramModule{"cyclune-program.so", "CycluneProgramModule", 2};

struct ProgramModule {
  ModuleStamp stamp;
  decltype(&RunProgram) run_program = nullptr;
};
