// The first instance's side of the one-instance rule (platform/instance/single_instance.h): the
// socket over which a second start asks it to come forward, and a reminder asks it to record a
// period. Connections are accepted and read without ever waiting on one; "foreground\n" and "period
// YYYY-MM-DD\n" are answered "ok\n", and a connection idle for a second is closed, so neither a
// slow second start nor a flood of silent ones can freeze the loop that polls the socket.
// Platform-internal.
#pragma once

#include <sys/un.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/dates/civil_day.h"

inline constexpr std::string_view kForegroundRequest = "foreground\n";
inline constexpr std::string_view kForegroundAnswer = "ok\n";
// Followed by the day as YYYY-MM-DD and a newline.
inline constexpr std::string_view kRecordPeriodRequest = "period ";

// The longest path a Unix socket address holds.
inline constexpr std::size_t kMaxSocketPath = sizeof(sockaddr_un::sun_path) - 1;

// Fills *address for `path`; false when the path is longer than kMaxSocketPath.
bool MakeSocketAddress(const std::string& path, sockaddr_un* address);

// Listens at `path`, replacing a socket file left there; false when that cannot be done.
// The file is removed by StopListening, or at exit when the process ends without it.
bool StartListening(const std::string& path);

// Readable when TakeListenerRequests has work; -1 when not listening.
int ListenerWakeFd();

// Accepts, reads and answers without waiting; returns the number of complete requests to come
// forward. The days of requests to record a period are kept for TakeListenerRecordDays.
int TakeListenerRequests();

// The days that requests to record a period named since the last call, oldest first.
std::vector<CivilDay> TakeListenerRecordDays();

// The request line for recording a period on `day`: "period 2024-05-15\n".
std::string RecordPeriodRequest(CivilDay day);

// Closes every connection and the socket, and removes the socket file.
void StopListening();
