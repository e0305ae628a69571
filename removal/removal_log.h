// The removal log for administrators: when the environment variable
// QVUNINST_LOG names a file, every event of the run is appended to it as one
// line that starts with the local date and time. Without it nothing is
// written, and a log that cannot be written never changes the removal.
#pragma once

// Takes the log file's name from QVUNINST_LOG; called once at start.
void OpenRemovalLog();

// Appends one line made of the texts given, one after another. Each line is
// written whole (the file is opened, appended to and closed), so runs that
// share a file mix only whole lines.
void LogEvent(const char* a, const char* b = "", const char* c = "", const char* d = "",
              const char* e = "", const char* f = "", const char* g = "");

// The decimal text of number, in digits (at least 11 bytes).
const char* DecimalText(unsigned long number, char* digits);
