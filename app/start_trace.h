// How long the desktop program takes to show its first sky, told to
// whoever measures it: with the environment variable SKYVANE_TRACE_START
// set (to anything but empty), the program writes one line to standard
// error when it has painted its first chart,
//
//   skyvane: first chart painted at 1765166400.123456
//
// the wall-clock time in seconds since 1970, so that the time from the
// start of the process to the first sky can be taken from outside it.
#pragma once

namespace skyvane::app {

// Called after every paint of a chart; writes the line once per run.
void NoteChartPainted();

}  // namespace skyvane::app
