// The removal log for administrators: when the environment variable
// QVUNINST_LOG names a file, every event of the run is appended to it as one
// line that starts with the local date and time, its offset from UTC, the
// machine's name and "qvuninst[<process id>]:", so that many machines and
// runs can share one file. Without it nothing is written, and a log that
// cannot be written never changes the removal.
//
// A line is built here, piece by piece: callers say what happened, and the
// log decides how each piece is written and how long a line may be.
#pragma once

// A line being built; the log keeps it.
struct LogLine;

// Takes the log file's name from QVUNINST_LOG, and the machine's name and
// the process id for every line; called once at start.
void OpenRemovalLog();

// Begins a line with the local date and time, the offset and the run's
// names ("-" for what cannot be had). Null when there is no log
// (or no memory for the line): the pieces added to it then go nowhere.
LogLine* StartLogLine();

// Adds the log's own words.
void LogText(LogLine* line, const char* text);

// Adds number in decimal digits.
void LogNumber(LogLine* line, unsigned long number);

// Adds a text that comes from outside the program: a component's name, the
// command-line tail, a path read from the registry. Its control characters
// are escaped (\r, \n, \t, \xNN; a backslash before an escape's letter or
// another backslash is doubled), so that the line stays one line.
void LogName(LogLine* line, const char* name);

// Appends the line to the log, whole, and is done with it: the file is
// opened (shared with readers and other writers), locked for the append,
// appended to and closed, so runs that share a file mix only whole lines.
// A line that does not fit on the disk is cut off again, whole.
// Once the file cannot be opened, the run writes no more lines.
void WriteLogLine(LogLine* line);

// A line of the log's own words alone.
void LogEvent(const char* text);
