// The command line both executables understand before they touch a display:
// --version and --help print and end the program, anything unknown prints
// the usage and ends it with status 2, so a script or a menu entry with a
// typo learns at once instead of starting a program that ignores it.
#pragma once

#include <string>
#include <vector>

namespace mirovex {

// The one version of both programs, set in the top CMakeLists.
const char* programVersion();

struct ProgramUsage {
    std::string name;        // as the presenter types it: "mirovex"
    std::string title;       // as --version names it: "Mirovex"
    std::string summary;     // one sentence: what the program does
    std::string operand;     // the one bare argument it takes, "" for none
    std::string operandHelp; // what that argument is
};

struct CommandLineOutcome {
    bool run = true;       // false: print `text` and end with `exitCode`
    bool toError = false;  // `text` goes to stderr
    int exitCode = 0;
    std::string text;
    std::string operand;   // the bare argument, when the program takes one
};

std::string usageText(const ProgramUsage& usage);

// `arguments` without the program's own name.
CommandLineOutcome readCommandLine(const std::vector<std::string>& arguments, const ProgramUsage& usage);

// Reads argv; when the program is not to run, prints the text and returns
// the exit code, else returns -1 and fills `operand`.
int handleCommandLine(int argc, char** argv, const ProgramUsage& usage, std::string* operand = nullptr);

} // namespace mirovex
