#pragma once

class Tchat;

// An opt-in start-up timing for bench/startup.sh: when SPADES_TRACE_STARTUP
// is set, one line on standard output tells how long the program took until
// its own table was logged in to the host. The variable may hold the launch
// time in nanoseconds since the epoch (`date +%s%N`); the time is then
// measured from there, otherwise from the start of main().
namespace startuptrace {

// Notes the moment main() begins; call first thing.
void markMainStarted();
// Prints the line once the table is logged in. Does nothing unless the
// variable is set.
void watch(Tchat *table);

} // namespace startuptrace
