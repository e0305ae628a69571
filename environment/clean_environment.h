// Taking the product's directories out of the machine-wide Path and
// CLASSPATH before the base component is removed.
#pragma once

// For "ClientBase" (exactly), cuts <dir>\BIN; out of Path, then
// <dir>\wkdocs\wkdocs.zip;<dir>\wkdocs\aqvxsg.zip; and <dir>\java\lib; out
// of CLASSPATH, <dir> being the product's install directory. Does nothing
// for any other name, and nothing at all when the install directory cannot
// be read or is empty: entries built from it would match pieces of others.
// On the NT family, once a value has been written, tells the running
// programs (WM_SETTINGCHANGE "Environment").
void CleanEnvironment(const char* name);
