// The command-line host, run as a user runs it: each run is a whole library life, attach
// to detach, so what one run changes must be there for the next.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "support/signal.h"
#include "support/temp_dir.h"

namespace {

class HostCli : public ::testing::Test {
protected:
    // Runs the host with a registry and cache of this test's own.
    std::string run(const std::string& args, int* code = nullptr) {
        std::string env = "WAVEDECK_REGISTRY='" + dir.file("registry") + "' XDG_CACHE_HOME='" + dir.file("cache") + "' ";
        return wdtest::runCommand(env + "'" WAVEDECK_PROGRAM "' " + args + " 2>&1", code);
    }
    wdtest::TempDir dir;
};

TEST_F(HostCli, VersionAndHelpExplainThemselves) {
    int code = -1;
    EXPECT_EQ(run("--version", &code), std::string("wavedeck ") + WAVEDECK_VERSION_TEXT + "\n");
    EXPECT_EQ(code, 0);
    EXPECT_NE(run("--help", &code).find("settings"), std::string::npos);
    EXPECT_EQ(code, 0);
    EXPECT_NE(run("help settings", &code).find("example:"), std::string::npos);
    EXPECT_EQ(code, 0);
    run("no-such-command", &code);
    EXPECT_EQ(code, 2);
}

TEST_F(HostCli, SettingsChangedInOneRunAreThereInTheNext) {
    int code = -1;
    std::string first = run("settings", &code);
    EXPECT_EQ(code, 0);
    EXPECT_NE(first.find("MP3 bit rate:     128 kbit/s"), std::string::npos) << first;
    EXPECT_NE(first.find("Ogg quality:      5"), std::string::npos) << first;

    ASSERT_EQ(::mkdir(dir.file("blocks").c_str(), 0700), 0);
    run("settings --temp-folder '" + dir.file("blocks") + "' --mp3 256 --ogg 9", &code);
    EXPECT_EQ(code, 0);

    std::string second = run("settings", &code);
    EXPECT_NE(second.find("temporary folder: " + dir.file("blocks")), std::string::npos) << second;
    EXPECT_NE(second.find("MP3 bit rate:     256 kbit/s"), std::string::npos) << second;
    EXPECT_NE(second.find("WMA bit rate:     128 kbit/s"), std::string::npos) << second;
    EXPECT_NE(second.find("Ogg quality:      9"), std::string::npos) << second;
}

TEST_F(HostCli, ARefusedFolderIsReportedAndNothingChanges) {
    int code = -1;
    std::string before = run("settings");
    std::string out = run("settings --temp-folder '" + dir.file("missing") + "'", &code);
    EXPECT_EQ(code, 1);
    EXPECT_NE(out.find("not a folder"), std::string::npos) << out;
    EXPECT_EQ(run("settings"), before);
    run("settings --mp3 lots", &code);
    EXPECT_EQ(code, 2);
}

}  // namespace
