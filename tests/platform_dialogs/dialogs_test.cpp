// The dialog layer against fake dialog tools on PATH: shell scripts that
// record their arguments one per line and answer as a user would.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/file_dialogs.h"

namespace fs = std::filesystem;

namespace {

const std::vector<std::string> meshFilters = {"Model files (.obj .off)", "*.obj *.off", "All files",
                                              "*"};

class Dialogs : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "morvik-dialogs-XXXXXX").string();
        dir = mkdtemp(pattern.data());
        const char* path = getenv("PATH");
        savedPath = path ? path : "";
        // Only the tools this test installs: the real ones stay out of reach.
        setenv("PATH", dir.c_str(), 1);
    }
    void TearDown() override {
        setenv("PATH", savedPath.c_str(), 1);
        fs::remove_all(dir);
    }
    // A fake tool that writes its arguments to <name>.args and then runs body.
    void installTool(const std::string& name, const std::string& body) {
        std::string file = dir + "/" + name;
        std::ofstream(file) << "#!/bin/sh\n"
                            << "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" << dir << "/"
                            << name << ".args'\n"
                            << body << "\n";
        chmod(file.c_str(), 0755);
    }
    std::vector<std::string> recordedArgs(const std::string& name) {
        std::ifstream in(dir + "/" + name + ".args");
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    std::string dir;
    std::string savedPath;
};

}  // namespace

TEST(DialogArguments, ZenityVectorsForOpenAndSave) {
    std::vector<std::string> open =
        zenityArguments(DialogKind::Open, "Load mesh", "/data/my meshes/", meshFilters);
    std::vector<std::string> expectedOpen = {"zenity",
                                             "--file-selection",
                                             "--title=Load mesh",
                                             "--filename=/data/my meshes/",
                                             "--file-filter=Model files (.obj .off) | *.obj *.off",
                                             "--file-filter=All files | *"};
    EXPECT_EQ(open, expectedOpen);

    std::vector<std::string> save = zenityArguments(
        DialogKind::Save, "Save parameters as", "/p/a.ini", {"Parameter files (.ini)", "*.ini"});
    std::vector<std::string> expectedSave = {"zenity",
                                             "--file-selection",
                                             "--title=Save parameters as",
                                             "--save",
                                             "--confirm-overwrite",
                                             "--filename=/p/a.ini",
                                             "--file-filter=Parameter files (.ini) | *.ini"};
    EXPECT_EQ(save, expectedSave);
}

TEST(DialogArguments, KdialogVectors) {
    std::vector<std::string> open =
        kdialogArguments(DialogKind::Open, "Load mesh", "/m/", meshFilters);
    std::vector<std::string> expected = {
        "kdialog",           "--title", "Load mesh",
        "--getopenfilename", "/m/",     "*.obj *.off|Model files (.obj .off)\n*|All files"};
    EXPECT_EQ(open, expected);
    EXPECT_EQ(kdialogArguments(DialogKind::Save, "t", "", {})[3], "--getsavefilename");
}

TEST(DialogStartPath, AbsoluteNormalisedOrCurrentDirectory) {
    std::string cwd = fs::current_path().string();
    EXPECT_EQ(absoluteStartPath("assets/../assets/./params/"), cwd + "/assets/params/");
    EXPECT_EQ(absoluteStartPath("/a/b/../c.ini"), "/a/c.ini");
    EXPECT_EQ(absoluteStartPath(""), cwd + "/");
}

TEST_F(Dialogs, OpenReturnsTheChosenPathAndPassesArgumentsUntouched) {
    // The tool stays open a moment, as a user would keep it, so the pump runs.
    installTool("zenity", "/bin/sleep 0.2; echo '/tmp/a b/it'\\''s; rm -rf x.off'");
    std::string start = dir + "/with space/'quote\" ;semi/";
    int pumps = 0;
    std::vector<std::string> chosen = openFileDialog("Load mesh", start, meshFilters, [&] {
        ++pumps;
        usleep(1000);
    });
    ASSERT_EQ(chosen.size(), 1u);
    EXPECT_EQ(chosen[0], "/tmp/a b/it's; rm -rf x.off");
    std::vector<std::string> args = recordedArgs("zenity");
    ASSERT_EQ(args.size(), 5u);
    EXPECT_EQ(args[0], "--file-selection");
    EXPECT_EQ(args[2], "--filename=" + start);
    EXPECT_GT(pumps, 0);  // the event pump ran while the tool was open
}

TEST_F(Dialogs, SaveReturnsThePathAndCancelGivesEmpty) {
    installTool("zenity", "echo /tmp/out.ini");
    EXPECT_EQ(saveFileDialog("Save parameters as", "/p/", meshFilters), "/tmp/out.ini");
    EXPECT_EQ(recordedArgs("zenity")[2], "--save");

    // zenity ends with status 1 and prints nothing on cancel.
    installTool("zenity", "exit 1");
    EXPECT_EQ(saveFileDialog("Save parameters as", "/p/", meshFilters), "");
    EXPECT_TRUE(openFileDialog("Load mesh", "/m/", meshFilters).empty());
    // A tool that fails after printing something is not a choice either.
    installTool("zenity", "echo /tmp/half; exit 5");
    EXPECT_TRUE(openFileDialog("Load mesh", "/m/", meshFilters).empty());
}

TEST_F(Dialogs, FallsBackToKdialog) {
    installTool("kdialog", "echo /home/u/tree.obj");
    std::vector<std::string> chosen = openFileDialog("Load mesh", "/m/", meshFilters);
    ASSERT_EQ(chosen.size(), 1u);
    EXPECT_EQ(chosen[0], "/home/u/tree.obj");
    EXPECT_EQ(recordedArgs("kdialog")[2], "--getopenfilename");
}

TEST_F(Dialogs, NoToolPrintsOneLineAndReturnsEmpty) {
    testing::internal::CaptureStdout();
    std::vector<std::string> chosen = openFileDialog("Load mesh", "/m/", meshFilters);
    std::string saved = saveFileDialog("Save", "/m/", meshFilters);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(chosen.empty());
    EXPECT_EQ(saved, "");
    EXPECT_EQ(out,
              "No file dialog available: install zenity or kdialog\n"
              "No file dialog available: install zenity or kdialog\n");
}

TEST_F(Dialogs, LongOutputDoesNotBlockTheTool) {
    // More than a pipe buffer of output before the answer line ends.
    installTool("zenity", "head -c 200000 /dev/zero | tr '\\0' x; echo");
    setenv("PATH", (dir + ":/usr/bin:/bin").c_str(), 1);
    std::vector<std::string> chosen = openFileDialog("Load mesh", "/m/", meshFilters);
    ASSERT_EQ(chosen.size(), 1u);
    EXPECT_EQ(chosen[0].size(), 200000u);
}
