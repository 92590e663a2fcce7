#include "options/option_reader.h"

#include <cerrno>
#include <cstring>

OptionReader startOptions(const ProgramUsage& program, int argc, char** argv) {
    OptionReader r;
    r.program = program;
    r.argc = argc;
    r.argv = argv;
    return r;
}

bool nextOption(OptionReader* r) {
    if (r->next >= r->argc) return false;
    r->option = r->argv[r->next++];
    return true;
}

bool helpAsked(const OptionReader& r) { return r.option == "-h" || r.option == "--help"; }

int finishOutput(const char* program, int rc) {
    errno = 0;
    const bool flushed = std::fflush(stdout) == 0;
    const int error = errno;
    if (flushed && !std::ferror(stdout)) return rc;
    std::fprintf(stderr, "%s: cannot write to standard output (%s)\n", program,
                 error ? std::strerror(error) : "a write failed");
    return 1;
}

int showHelp(const ProgramUsage& program) {
    if (program.print) program.print(stdout);
    return finishOutput(program.name, 0);
}

int optionValue(OptionReader* r, std::string* value, const std::string& takes) {
    if (r->next >= r->argc) return refuseOption(r->program, r->option, nullptr, takes);
    *value = r->argv[r->next++];
    return 0;
}

int refuseOption(const ProgramUsage& program, const std::string& option, const char* got,
                 const std::string& takes) {
    if (got)
        std::fprintf(stderr, "%s: %s got '%s'; it takes %s\n", program.name, option.c_str(), got,
                     takes.c_str());
    else
        std::fprintf(stderr, "%s: %s got nothing; it takes %s\n", program.name, option.c_str(),
                     takes.c_str());
    if (program.print) program.print(stderr);
    return 2;
}

int refuseOption(const ProgramUsage& program, const std::string& option, const std::string& got,
                 const std::string& takes) {
    return refuseOption(program, option, got.c_str(), takes);
}

int refuseUnknown(const OptionReader& r) {
    return refuseOption(r.program, "the command line", r.option, "the options below");
}
