// The real program started as a process: what it prints where, and its exit codes.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "temp_folder.h"

namespace {

struct ProcessRun {
    int exitCode = -1000;
    std::string out, err;
};

// Runs the built program with args, standard input from /dev/null (the prompt's
// one character is then the end of input).
ProcessRun runProgram(const std::vector<std::string>& args) {
    const char* binary = std::getenv("ANNOTATE_BINARY_DIR");
    std::string program = std::string(binary ? binary : ".") + "/annotate";
    const TempFolder dir;
    const std::string outPath = dir.file("out"), errPath = dir.file("err");
    pid_t pid = fork();
    if (pid == 0) {
        if (!freopen("/dev/null", "r", stdin) || !freopen(outPath.c_str(), "w", stdout) ||
            !freopen(errPath.c_str(), "w", stderr))
            _exit(99);
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(98);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ProcessRun run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
    run.out = readFile(outPath);
    run.err = readFile(errPath);
    return run;
}

}  // namespace

TEST(StartupProcess, NoArgumentPromptsOnStandardErrorAndExitsMinusOne) {
    ProcessRun run = runProgram({});
    EXPECT_EQ(run.exitCode, 255);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind("Error: video file name not specified, ", 0), 0u);
    EXPECT_NE(run.err.find(", line 2765\nPRESS ENTER TO EXIT"), std::string::npos);
}

TEST(StartupProcess, UnreadableVideoEchoesTheNamesThenFails) {
    const TempFolder folder;
    const std::string& dir = folder.path;
    std::string video = dir + "/no such clip.avi";
    ProcessRun run = runProgram({video});
    EXPECT_EQ(run.exitCode, 255);
    std::string stem = dir + "/no such clip";
    EXPECT_NE(run.out.find("vflile: " + video + "\nrflile: " + stem + ".reg\nsflile: " + stem +
                           ".dat\nlflile: " + stem + ".dat\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("couldn't open video file " + video + "\n"), std::string::npos);
    EXPECT_EQ(run.out.substr(run.out.size() - 19), "PRESS ENTER TO EXIT");
    EXPECT_NE(run.err.find("Warning: use " + stem + ".reg as a reg file name\n"),
              std::string::npos);

    // A garbage file is no better than a missing one.
    std::string garbage = dir + "/garbage.mp4";
    std::ofstream(garbage) << "this is not a video at all";
    ProcessRun bad = runProgram({garbage, "r", "s", "l"});
    EXPECT_EQ(bad.exitCode, 255);
    EXPECT_EQ(bad.err, "");
    EXPECT_NE(bad.out.find("PRESS ENTER TO EXIT"), std::string::npos);
}

TEST(StartupProcess, ProgramDirectoryIsTheExecutablesFolder) {
    ProcessRun run = runProgram({"/nonexistent/v.avi", "r", "s", "l"});
    const char* binary = std::getenv("ANNOTATE_BINARY_DIR");
    ASSERT_NE(binary, nullptr);
    char resolved[4096];
    ASSERT_NE(realpath(binary, resolved), nullptr);
    EXPECT_EQ(run.out.rfind(std::string("dir: ") + resolved + "\n", 0), 0u) << run.out;
}

TEST(StartupProcess, OverlongSaveNameIsRefusedBeforeAnythingIsOpened) {
    ProcessRun run = runProgram({"v.avi", "r", std::string(600, 's')});
    EXPECT_EQ(run.exitCode, 255);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("save tracking file name is too long"), std::string::npos);
    EXPECT_NE(run.err.find("PRESS ENTER TO EXIT"), std::string::npos);
}
