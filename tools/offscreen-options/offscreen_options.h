#pragma once
#include <string>

#include "shell/headless_run.h"

// The command line demo-capture and demo-bench share: the options both take,
// read the same way, and one way of refusing. A refusal reads
// "PROGRAM: PROBLEM: 'VALUE'" (or "PROGRAM: --rate needs a value"), then where
// the help is; the program exits with code 2. Each program reads its own
// options beside these.

struct OffscreenOptions {
    FrameRate rate;                 // --rate N[/D]: frames per second of music (60)
    int width = 640, height = 480;  // --size WxH: the picture
    int msaa = 0;                   // --msaa N: samples per pixel asked of the GL (0: one)
    std::string dataDir;            // --data DIR: empty for the folder beside the program
};

// A command line read option by option.
struct OptionReader {
    const char* program = "";  // the first word of every message
    int argc = 0;
    char** argv = nullptr;
    int next = 1;         // the argument read next
    std::string option;   // the option read last
};

OptionReader startOptions(const char* program, int argc, char** argv);

// The next option into r->option; false at the end of the command line.
bool nextOption(OptionReader* r);

// The value after the option just read: 0, or 2 after saying that the
// option needs one.
int optionValue(OptionReader* r, std::string* value);

// Reads the option just read when it is one of the shared ones (*taken says
// whether it was): 0, or 2 after saying what is wrong with its value.
int readSharedOption(OptionReader* r, OffscreenOptions* options, bool* taken);

// Says the problem, with the value refused when there is one, and where the
// help is. Returns 2, the exit code of a refused command line.
int refuseOption(const char* program, const std::string& problem);
int refuseOption(const char* program, const std::string& problem, const std::string& value);

// "60", "60000/1001": whole numbers from 1 to 100000. "29.97" is refused (use
// a fraction). False on anything else, the rate untouched.
bool parseFrameRate(const std::string& text, FrameRate* rate);

// Seconds of music: decimal digits with an optional fraction and exponent
// ("12.5", ".5", "1e3"); no sign, space, hexadecimal, infinity or "nan".
bool parseSeconds(const std::string& text, double* seconds);

// "A-B", "A-" or "-B" into its two ends (one may be empty, not both).
bool splitRange(const std::string& text, std::string* first, std::string* last);
