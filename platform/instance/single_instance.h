// One instance per settings folder. The first instance holds an flock on cyclune.lock beside
// the settings (${XDG_CONFIG_HOME:-~/.config}/cyclune, created 0700 when missing), so no
// second instance can run on the same settings file whatever its runtime folder. It listens
// on a Unix socket in $XDG_RUNTIME_DIR or, without one, in a private directory
// /tmp/cyclune-<uid> (mode 0700, owned by the user; a directory that fails either check is not
// used), and writes that socket's path into the lock file. A second start finds the lock
// taken, reads the path and asks the first, over the socket, to bring its window forward; the
// first answers. Neither side waits on the other without a time limit. The program asks at
// start (AnotherInstanceRunning, AskRunningInstanceToComeForward) and its loop serves the
// requests (TakeForegroundRequests); front ends switch it on and, at the end, let
// ReportSecondStart say what a second start found.
#pragma once

#include <string>
#include <vector>

#include "platform/dates/civil_day.h"

// Switches the rule on for this process (the desktop and terminal front ends; the headless
// runner only on request). Off by default.
void EnableSingleInstance(bool enabled);
bool SingleInstanceEnabled();

// True when this process must not start as the first: another process holds the instance
// lock of these settings, or the lock cannot be had at all (a symbolic link, a folder that
// cannot be made). When the lock is free, this process takes it and starts listening, and
// the result is false.
bool AnotherInstanceRunning();

// True when some process (this one through another descriptor included) holds the instance
// lock. Looks without taking the lock and creates nothing: for commands that only change the
// settings file, whose work a running instance's next save would undo.
bool InstanceLockHeld();

// Asks the running instance to come forward and waits, two seconds at most, for its answer.
// False when it did not answer; SecondStartMessage then says why.
bool AskRunningInstanceToComeForward();

// Asks the running instance to record a period that began on `day` (date fields only), as its
// "Set last period" would on that day, and waits two seconds at most for it to take the
// request. For a process that is not an instance itself (a reminder): the running one keeps
// the settings, so its lock is never broken. False when it did not answer, as above.
bool AskRunningInstanceToRecordPeriod(CivilDay day);

// What the latest second start found, as one line for the user ("Cyclune is already running
// but does not respond"); empty when this process made no second start.
std::string SecondStartMessage();

// Ends a second start: prints SecondStartMessage() on standard error and returns 0 when the
// running instance was asked forward, 1 when it could not be. Without a second start, prints
// nothing and returns winmain_result.
int ReportSecondStart(int winmain_result);

// A descriptor for a backend's poll(): readable when a request, a new connection or an idle
// connection's time-out needs TakeForegroundRequests. -1 when this process is not listening.
int ForegroundRequestSocket();

// Accepts pending connections and reads what they sent, without ever waiting; answers every
// complete request and counts those to come forward. Connections idle for a second are closed.
int TakeForegroundRequests();

// The days of the requests to record a period that TakeForegroundRequests has taken since the
// last call, oldest first.
std::vector<CivilDay> TakeRecordPeriodRequests();

// Closes the socket and releases the lock (end of a run, tests).
void ReleaseSingleInstance();
