#pragma once
#include <cstdio>
#include <string>

// A program's command line, read option by option, refused one way and
// helped one way.
//
// A refusal is one line on standard error,
//   "PROGRAM: OPTION got 'VALUE'; it takes WHAT"
// ("got nothing" where the value is missing; "the command line got '--x'"
// for an option the program does not know), then the usage, and exit code 2.
// -h and --help print the usage on standard output and exit 0 (1 when it
// cannot be written).

// The usage is what --help prints: one fixed text, or printed by the
// program where it depends on the build.
struct ProgramUsage {
    const char* name = "";               // the first word of every message
    const char* text = nullptr;          // the usage, or
    void (*print)(FILE* out) = nullptr;  // what prints it
};

void printUsage(const ProgramUsage& program, FILE* out);

struct OptionReader {
    ProgramUsage program;
    int argc = 0;
    char** argv = nullptr;
    int next = 1;        // the argument read next
    std::string option;  // the argument read last
};

OptionReader startOptions(const ProgramUsage& program, int argc, char** argv);

// The next argument into r->option; false at the end of the command line.
bool nextOption(OptionReader* r);

// Whether the option just read is -h or --help.
bool helpAsked(const OptionReader& r);

// The usage on standard output: 0, or 1 after saying that it could not be
// written (a full disk, a closed pipe).
int showHelp(const ProgramUsage& program);

// The value after the option just read: 0, or 2 after refusing the option
// for having none (`takes` says what it wants).
int optionValue(OptionReader* r, std::string* value, const std::string& takes);

// Refuses a value of an option, or the lack of one (`got` null). Returns 2,
// the exit code of a refused command line.
int refuseOption(const ProgramUsage& program, const std::string& option, const char* got,
                 const std::string& takes);
int refuseOption(const ProgramUsage& program, const std::string& option, const std::string& got,
                 const std::string& takes);

// Refuses the option just read as one the program does not know. Returns 2.
int refuseUnknown(const OptionReader& r);
