#include "options/option_reader.h"

#include "options/standard_output.h"

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

void printUsage(const ProgramUsage& program, FILE* out) {
    if (program.text) std::fputs(program.text, out);
    if (program.print) program.print(out);
}

int showHelp(const ProgramUsage& program) {
    printUsage(program, stdout);
    return finishStandardOutput(program.name, 0);
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
    printUsage(program, stderr);
    return 2;
}

int refuseOption(const ProgramUsage& program, const std::string& option, const std::string& got,
                 const std::string& takes) {
    return refuseOption(program, option, got.c_str(), takes);
}

int refuseUnknown(const OptionReader& r) {
    return refuseOption(r.program, "the command line", r.option, "the options below");
}
