// The environment variables that production code reads only so that tests and benchmarks can
// watch a run from outside. None of them changes what a user sees, and none is read anywhere
// but through the functions below.
//
//   CYCLUNE_MESSAGE_LOG=PATH  every message box shown, by any front end, is appended to PATH
//                             as one JSON line, {"caption": "...", "text": "..."} (the line
//                             of platform/text/json_text.h), before it is drawn.
//   CYCLUNE_TRACE_FRAMES=1    the desktop window writes "cyclune-trace: input SECONDS" for each
//                             key or click it reads and "cyclune-trace: frame SECONDS" for each
//                             frame it presents to standard error (CLOCK_MONOTONIC seconds).
//                             Empty or "0" is off.
//   CYCLUNE_TRACE_TEXT=1      pixel canvases write, for each line of text they render anew,
//                             "cyclune-trace: text "LINE" size N fonts FILE[+FILE...] missing
//                             none" (or the missing characters as " U+XXXX" each: those drawn
//                             as boxes) to standard error. Empty or "0" is off.
#pragma once

#include <string_view>

// Appends the box to the file CYCLUNE_MESSAGE_LOG names; nothing when it is unset or empty.
// A file that cannot be written is passed over: the box is shown all the same.
void LogMessageBoxForTests(std::u16string_view caption, std::u16string_view text);

// Whether CYCLUNE_TRACE_FRAMES asks for traces (read once, at the first call).
bool FrameTracesWanted();

// Writes "cyclune-trace: WHAT SECONDS" to standard error when traces are wanted.
void TraceFrameEvent(const char* what);

// Whether CYCLUNE_TRACE_TEXT asks for text traces (read once, at the first call).
bool TextTracesWanted();
