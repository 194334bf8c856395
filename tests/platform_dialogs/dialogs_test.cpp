// The dialog layer against fake dialog tools on PATH: shell scripts that
// record their arguments one per line and answer as a user would.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>

#include "platform/file_dialogs.h"
#include "scratch_dir.h"

using Args = std::vector<std::string>;

namespace {

const Args filters = {"Model files (.obj .off)", "*.obj *.off", "All files", "*"};

class Dialogs : public ::testing::Test {
  protected:
    void SetUp() override { setenv("PATH", dir.path.c_str(), 1); }  // only the fakes
    void TearDown() override { setenv("PATH", savedPath.c_str(), 1); }
    // A tool that records its arguments in <name>.args, then runs body.
    void install(const std::string& name, const std::string& body) {
        writeFile(dir.file(name), "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" +
                                      dir.file(name) + ".args'\n" + body + "\n");
        std::filesystem::permissions(dir.file(name), std::filesystem::perms(0755));
    }
    Args recorded(const std::string& name) {
        Args lines;
        std::istringstream in(readFile(dir.file(name + ".args")));
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    ScratchDir dir{"morvik-dialogs"};
    std::string savedPath = getenv("PATH");
};

}  // namespace

TEST(DialogStartPath, AbsoluteNormalisedOrCurrentDirectory) {
    const std::string cwd = std::filesystem::current_path().string();
    EXPECT_EQ(absoluteStartPath("assets/../assets/./params/"), cwd + "/assets/params/");
    EXPECT_EQ(absoluteStartPath(""), cwd + "/");
}

// No shell sees a path: spaces, quotes and semicolons pass both ways intact;
// the pump runs while the tool is open; cancel and failure choose nothing;
// a long answer does not block the tool.
TEST_F(Dialogs, ZenityGetsItsArgumentsAsTheyAreAndItsAnswerIsTheChoice) {
    install("zenity", "/bin/sleep 0.2; echo '/tmp/a b/it'\\''s; rm -rf x.off'");
    const std::string start = dir.path + "/with space/'quote\" ;semi/";
    int pumps = 0;
    EXPECT_EQ(openFileDialog("Load mesh", start, filters, [&] { ++pumps, usleep(1000); }),
              Args{"/tmp/a b/it's; rm -rf x.off"});
    EXPECT_EQ(recorded("zenity"),
              (Args{"--file-selection", "--title=Load mesh", "--filename=" + start,
                    "--file-filter=Model files (.obj .off) | *.obj *.off",
                    "--file-filter=All files | *"}));
    EXPECT_GT(pumps, 0);
    install("zenity", "echo /tmp/out.ini");
    EXPECT_EQ(saveFileDialog("Save", "/p/a.ini", {"Params", "*.ini"}), "/tmp/out.ini");
    EXPECT_EQ(recorded("zenity"),
              (Args{"--file-selection", "--title=Save", "--save", "--confirm-overwrite",
                    "--filename=/p/a.ini", "--file-filter=Params | *.ini"}));
    install("zenity", "exit 1");
    EXPECT_EQ(saveFileDialog("Save", "/p/", filters), "");
    install("zenity", "echo /tmp/half; exit 5");
    EXPECT_EQ(openFileDialog("Load mesh", "/m/", filters), Args{});
    install("zenity", "/usr/bin/head -c 200000 /dev/zero | /usr/bin/tr '\\0' x; echo");
    EXPECT_EQ(openFileDialog("Load mesh", "/m/", filters), Args{std::string(200000, 'x')});
}

TEST_F(Dialogs, KdialogWhereZenityIsMissingElseOneConsoleLine) {
    install("kdialog", "echo /home/u/tree.obj");
    EXPECT_EQ(openFileDialog("Load mesh", "/m/", filters), Args{"/home/u/tree.obj"});
    EXPECT_EQ(recorded("kdialog"), (Args{"--title", "Load mesh", "--getopenfilename", "/m/",
                                         "*.obj *.off|Model files (.obj .off)", "*|All files"}));
    EXPECT_EQ(saveFileDialog("Save", "", filters), "/home/u/tree.obj");
    EXPECT_EQ(recorded("kdialog")[2], "--getsavefilename");
    std::filesystem::remove(dir.file("kdialog"));
    testing::internal::CaptureStdout();
    EXPECT_EQ(openFileDialog("Load mesh", "/m/", filters), Args{});
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "No file dialog available: install zenity or kdialog\n");
}
