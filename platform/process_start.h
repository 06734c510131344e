#pragma once
// What the program does about its own process before anything else: where
// libraries may come from, its arguments as text, and its console.

#include <string>
#include <vector>

namespace platform {

// First thing in main: on Windows no library is ever loaded from the
// current directory (which follows the first page into the user's data
// folders), only from the program's own folder and the system's. Standard
// output is binary: a saved table's line ends are its own.
void SecureProcessStart();

// The arguments after the program's name, as UTF-8 text on Windows (never
// through the ANSI code page), as the file system's bytes elsewhere.
std::vector<std::string> ProgramArguments(int argc, char* argv[]);

// For a run without the window: on Windows a program built without a
// console writes to the console of the command prompt it was started from,
// and messages are shown in UTF-8. Nothing elsewhere.
void AttachToParentConsole();

// Whether standard error is a terminal (progress is drawn only there).
bool StandardErrorIsTerminal();

// The only folder Qt's plugins are taken from; empty: Qt's own choice.
std::string PluginDirectory();

} // namespace platform
