// Silent removal of the components named on the command line.
#pragma once

// Removes, without any window, every component named by a "-c Name" token
// of tail, from the last token to the first, each after the previous one's
// uninstaller has ended. Returns the exit code, always 0.
int RunCommandLineRemoval(const char* tail);
