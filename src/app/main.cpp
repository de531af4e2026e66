// Entry point: reads the command line and hands the names to the set-up routine.
#include <cstdio>

#include "app/command_line.h"
#include "app/startup.h"

int main(int argc, char** argv) {
    // Progress lines show up as they happen also when the console is a file or a pipe.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    char exe[FILE_NAME_SIZE];
    const char* exePath = executablePath(exe, FILE_NAME_SIZE) ? exe : nullptr;
    static CommandLine names;
    if (parseCommandLine(argc, argv, exePath, &names, stdout, stderr) != CommandLineResult::Ok)
        exitAfterPrompt(stderr);
    return runSetup(names);
}
