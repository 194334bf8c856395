// The dialog layer against fake dialog tools on PATH: shell scripts that
// record their arguments one per line and answer as a user would.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/file_dialogs.h"
#include "scratch_dir.h"

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

namespace {

const Args meshFilters = {"Model files (.obj .off)", "*.obj *.off", "All files", "*"};

class Dialogs : public ::testing::Test {
  protected:
    void SetUp() override {
        savedPath = getenv("PATH");
        setenv("PATH", dir.c_str(), 1);  // only the tools this test installs
    }
    void TearDown() override { setenv("PATH", savedPath.c_str(), 1); }
    // A fake tool that writes its arguments to <name>.args and then runs body.
    void installTool(const std::string& name, const std::string& body) {
        const std::string file = dir + "/" + name;
        std::ofstream(file) << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '"
                            << file << ".args'\n"
                            << body << "\n";
        fs::permissions(file, fs::perms(0755));
    }
    Args recordedArgs(const std::string& name) {
        std::ifstream in(dir + "/" + name + ".args");
        Args lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    ScratchDir scratch{"morvik-dialogs"};
    std::string dir = scratch.path, savedPath;
};

}  // namespace

TEST(DialogArguments, ZenityAndKdialogVectors) {
    EXPECT_EQ(zenityArguments(DialogKind::Open, "Load mesh", "/my meshes/", meshFilters),
              (Args{"zenity", "--file-selection", "--title=Load mesh", "--filename=/my meshes/",
                    "--file-filter=Model files (.obj .off) | *.obj *.off",
                    "--file-filter=All files | *"}));
    EXPECT_EQ(zenityArguments(DialogKind::Save, "Save as", "/p/a.ini", {"Params", "*.ini"}),
              (Args{"zenity", "--file-selection", "--title=Save as", "--save",
                    "--confirm-overwrite", "--filename=/p/a.ini", "--file-filter=Params | *.ini"}));
    EXPECT_EQ(kdialogArguments(DialogKind::Open, "Load mesh", "/m/", meshFilters),
              (Args{"kdialog", "--title", "Load mesh", "--getopenfilename", "/m/",
                    "*.obj *.off|Model files (.obj .off)\n*|All files"}));
    EXPECT_EQ(kdialogArguments(DialogKind::Save, "t", "", {})[3], "--getsavefilename");
}

TEST(DialogStartPath, AbsoluteNormalisedOrCurrentDirectory) {
    const std::string cwd = fs::current_path().string();
    EXPECT_EQ(absoluteStartPath("assets/../assets/./params/"), cwd + "/assets/params/");
    EXPECT_EQ(absoluteStartPath("/a/b/../c.ini"), "/a/c.ini");
    EXPECT_EQ(absoluteStartPath(""), cwd + "/");
}

// No shell sees a path: spaces, quotes and semicolons pass both ways intact.
TEST_F(Dialogs, OpenReturnsTheChosenPathAndPassesArgumentsUntouched) {
    // The tool stays open a moment, as a user would keep it, so the pump runs.
    installTool("zenity", "/bin/sleep 0.2; echo '/tmp/a b/it'\\''s; rm -rf x.off'");
    const std::string start = dir + "/with space/'quote\" ;semi/";
    int pumps = 0;
    Args chosen = openFileDialog("Load mesh", start, meshFilters, [&] {
        ++pumps;
        usleep(1000);
    });
    EXPECT_EQ(chosen, Args{"/tmp/a b/it's; rm -rf x.off"});
    EXPECT_EQ(recordedArgs("zenity"),
              (Args{"--file-selection", "--title=Load mesh", "--filename=" + start,
                    "--file-filter=Model files (.obj .off) | *.obj *.off",
                    "--file-filter=All files | *"}));
    EXPECT_GT(pumps, 0);
}

// zenity ends with status 1 and prints nothing on cancel; a tool that fails
// after printing something has made no choice either.
TEST_F(Dialogs, SaveReturnsThePathCancelAndFailureGiveEmpty) {
    installTool("zenity", "echo /tmp/out.ini");
    EXPECT_EQ(saveFileDialog("Save", "/p/", meshFilters), "/tmp/out.ini");
    EXPECT_EQ(recordedArgs("zenity")[2], "--save");
    installTool("zenity", "exit 1");
    EXPECT_EQ(saveFileDialog("Save", "/p/", meshFilters), "");
    installTool("zenity", "echo /tmp/half; exit 5");
    EXPECT_EQ(openFileDialog("Load mesh", "/m/", meshFilters), Args{});
}

TEST_F(Dialogs, FallsBackToKdialogThenToOneConsoleLine) {
    installTool("kdialog", "echo /home/u/tree.obj");
    EXPECT_EQ(openFileDialog("Load mesh", "/m/", meshFilters), Args{"/home/u/tree.obj"});
    EXPECT_EQ(recordedArgs("kdialog")[2], "--getopenfilename");
    fs::remove(dir + "/kdialog");
    testing::internal::CaptureStdout();
    EXPECT_EQ(openFileDialog("Load mesh", "/m/", meshFilters), Args{});
    EXPECT_EQ(saveFileDialog("Save", "/m/", meshFilters), "");
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "No file dialog available: install zenity or kdialog\n"
              "No file dialog available: install zenity or kdialog\n");
}

TEST_F(Dialogs, LongOutputDoesNotBlockTheTool) {
    // More than a pipe buffer of output before the answer line ends.
    installTool("zenity", "head -c 200000 /dev/zero | tr '\\0' x; echo");
    setenv("PATH", (dir + ":/usr/bin:/bin").c_str(), 1);
    Args chosen = openFileDialog("Load mesh", "/m/", meshFilters);
    ASSERT_EQ(chosen.size(), 1u);
    EXPECT_EQ(chosen[0].size(), 200000u);
}
