// The command line as the tool reads it: names, derived names, messages.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/command_line.h"

namespace {

struct Parsed {
    CommandLineResult result;
    CommandLine names;
    std::string out, err;
};

std::string readAll(FILE* f) {
    std::string text;
    std::rewind(f);
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
    std::fclose(f);
    return text;
}

Parsed parse(std::vector<std::string> args, const char* exePath = "/opt/tool/bin/annotate") {
    std::vector<const char*> argv;
    for (auto& a : args) argv.push_back(a.c_str());
    argv.push_back(nullptr);
    Parsed p;
    FILE* out = std::tmpfile();
    FILE* err = std::tmpfile();
    p.result =
        parseCommandLine(static_cast<int>(args.size()), argv.data(), exePath, &p.names, out, err);
    p.out = readAll(out);
    p.err = readAll(err);
    return p;
}

int count(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) n++;
    return n;
}

}  // namespace

TEST(CommandLine, OnlyTheVideoDerivesEveryOtherName) {
    Parsed p = parse({"annotate", "clip.avi"});
    ASSERT_EQ(p.result, CommandLineResult::Ok);
    EXPECT_STREQ(p.names.registrationFileName, "clip.reg");
    EXPECT_STREQ(p.names.saveFileName, "clip.dat");
    EXPECT_STREQ(p.names.loadFileName, "clip.dat");
    EXPECT_STREQ(p.names.programDirectory, "/opt/tool/bin");
    // Two error-and-warning pairs and the loading-name warning, in this order.
    std::string src = __FILE__;
    size_t reg = p.err.find("Error: reg data file name not specified, ");
    size_t regUse = p.err.find("Warning: use clip.reg as a reg file name\n");
    size_t save = p.err.find("Error: saved tracking file name not specified, ");
    size_t saveUse = p.err.find("Warning: use clip.dat as a save tracking file name\n");
    size_t load = p.err.find("Warning: use clip.dat as a loading file name, ");
    ASSERT_NE(reg, std::string::npos);
    EXPECT_LT(reg, regUse);
    EXPECT_LT(regUse, save);
    EXPECT_LT(save, saveUse);
    EXPECT_LT(saveUse, load);
    EXPECT_EQ(count(p.err, ", line 2781\n"), 1);
    EXPECT_EQ(count(p.err, ", line 2801\n"), 1);
    EXPECT_EQ(count(p.err, ", line 2819\n"), 1);
    EXPECT_EQ(p.out,
              "dir: /opt/tool/bin\nvflile: clip.avi\nrflile: clip.reg\nsflile: clip.dat\n"
              "lflile: clip.dat\n");
}

TEST(CommandLine, SaveNameGivenIsAlsoTheLoadName) {
    Parsed p = parse({"annotate", "clip.avi", "cam.reg", "work.dat"});
    ASSERT_EQ(p.result, CommandLineResult::Ok);
    EXPECT_STREQ(p.names.registrationFileName, "cam.reg");
    EXPECT_STREQ(p.names.loadFileName, "work.dat");
    EXPECT_EQ(p.err.rfind("Warning: use work.dat as a loading file name, ", 0), 0u);
    EXPECT_EQ(count(p.err, "\n"), 1);
    EXPECT_NE(p.err.find(", line 2819\n"), std::string::npos);
}

TEST(CommandLine, AllFourNamesWriteNothingToStandardError) {
    Parsed p = parse({"annotate", "clip.avi", "cam.reg", "work.dat", "truth.dat"});
    ASSERT_EQ(p.result, CommandLineResult::Ok);
    EXPECT_EQ(p.err, "");
    EXPECT_STREQ(p.names.saveFileName, "work.dat");
    EXPECT_STREQ(p.names.loadFileName, "truth.dat");
    EXPECT_NE(p.out.find("lflile: truth.dat\n"), std::string::npos);
}

TEST(CommandLine, NoVideoNameIsAnError) {
    Parsed p = parse({"annotate"});
    EXPECT_EQ(p.result, CommandLineResult::NoVideo);
    EXPECT_EQ(p.err.rfind("Error: video file name not specified, ", 0), 0u);
    EXPECT_NE(p.err.find(", line 2765\n"), std::string::npos);
    EXPECT_EQ(p.out, "");
}

TEST(CommandLine, DerivedNamesCutAtTheLastDotOfTheFilePart) {
    char out[64];
    ASSERT_TRUE(deriveFileName("a.b.avi", ".reg", out, sizeof out));
    EXPECT_STREQ(out, "a.b.reg");
    ASSERT_TRUE(deriveFileName("clip", ".reg", out, sizeof out));
    EXPECT_STREQ(out, "clip.reg");
    // A dot in a folder name is not an extension.
    ASSERT_TRUE(deriveFileName("takes.v2/clip", ".dat", out, sizeof out));
    EXPECT_STREQ(out, "takes.v2/clip.dat");
    ASSERT_TRUE(deriveFileName("./games/match.mp4", ".dat", out, sizeof out));
    EXPECT_STREQ(out, "./games/match.dat");
    // Exactly filling the buffer fails: the terminator needs a byte.
    EXPECT_TRUE(deriveFileName("abcd.avi", ".reg", out, 9));
    EXPECT_FALSE(deriveFileName("abcde.avi", ".reg", out, 9));
}

TEST(CommandLine, ProgramDirectoryFromArgumentZeroWhenThePathIsUnknown) {
    EXPECT_STREQ(parse({"/usr/local/bin/annotate", "v.avi"}, nullptr).names.programDirectory,
                 "/usr/local/bin");
    EXPECT_STREQ(parse({"annotate", "v.avi"}, nullptr).names.programDirectory, ".");
    EXPECT_STREQ(parse({"/annotate", "v.avi"}, nullptr).names.programDirectory, "/");
}

TEST(CommandLine, OverlongNamesAreRefusedNeverCut) {
    std::string name511(507, 'v');
    name511 += ".avi";  // 511 characters: fits the state's 512-byte copy
    EXPECT_EQ(parse({"annotate", name511, "r", "s", "l"}).result, CommandLineResult::Ok);

    std::string name512 = "x" + name511;
    Parsed video = parse({"annotate", name512, "r", "s", "l"});
    EXPECT_EQ(video.result, CommandLineResult::NameTooLong);
    EXPECT_NE(video.err.find("video file name is too long"), std::string::npos);
    EXPECT_EQ(video.out, "");

    Parsed save = parse({"annotate", "v.avi", "r", name512});
    EXPECT_EQ(save.result, CommandLineResult::NameTooLong);
    EXPECT_EQ(parse({"annotate", "v.avi", "r", "s", name512}).result,
              CommandLineResult::NameTooLong);

    std::string reg1024(1024, 'r');
    EXPECT_EQ(parse({"annotate", "v.avi", reg1024, "s"}).result, CommandLineResult::NameTooLong);
    EXPECT_EQ(parse({"annotate", "v.avi", reg1024.substr(1), "s"}).result, CommandLineResult::Ok);

    // A video name that fits but whose derived save name would not.
    std::string noDot(509, 'n');
    Parsed derived = parse({"annotate", noDot});
    EXPECT_EQ(derived.result, CommandLineResult::NameTooLong);
}
