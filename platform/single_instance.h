// One instance per user: a lock file held with flock and a Unix socket beside it, in
// $XDG_RUNTIME_DIR or, without one, in a private directory /tmp/cyclune-<uid> (mode 0700,
// owned by the user; a directory that fails either check is not used). The first instance
// holds the lock and listens; a second start finds the lock taken and asks the first, over
// the socket, to bring its window forward. The window system maps this onto FindWindowW and
// SetForegroundWindow; front ends only switch it on. Platform-internal.
#pragma once

// Switches the rule on for this process (the desktop and terminal front ends; the headless
// runner only on request). Off by default.
void EnableSingleInstance(bool enabled);
bool SingleInstanceEnabled();

// True when another process of this user holds the instance lock. When the lock is free,
// this process takes it and starts listening, and the result is false.
bool AnotherInstanceRunning();

// True when some process (this one through another descriptor included) holds the instance
// lock. Looks without taking the lock and creates nothing: for commands that only change the
// settings file, whose work a running instance's next save would undo.
bool InstanceLockHeld();

// Asks the running instance to come forward. False when it cannot be reached.
bool AskRunningInstanceToComeForward();

// The listening socket, for a backend's poll(); -1 when this process is not listening.
int ForegroundRequestSocket();

// Accepts and reads every pending request without waiting; returns how many asked for the
// window to come forward.
int TakeForegroundRequests();

// Closes the socket and releases the lock (end of a run, tests).
void ReleaseSingleInstance();
