// The file-format module, cyclune-formats.so: the iCalendar writer (libical) and the readers
// of other trackers' exports (JSON, gzip, SQLite), opened (platform/modules/module_loader.h) only
// by
// --ics and --import, so no other mode loads those libraries. It holds the formats alone: they
// turn bytes into days and events into text, and keep no state of the program's.
//
// The program's functions of the same names (interop/formats_loader.cpp) open the module and
// call its own, which the table below carries; the module exports only its entry.
#pragma once

#include "interop/ics_calendar.h"
#include "interop/import_parse.h"
#include "platform/modules/module_loader.h"

constexpr ModuleName kFormatsModule{"cyclune-formats.so", "CycluneFormatsModule", 2};

using FormatsModule = ModuleTable<&WriteIcsCalendar, &ParseTrackerFile, &ImportFormatName,
                                  &ImportFormatsTried, &FormatImportDay>;
