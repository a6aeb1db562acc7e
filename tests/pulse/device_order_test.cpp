// The order of the sound server's devices: the default sink and source are device 0, and
// the monitors of sinks come after every real source, so the first input is never a
// "Monitor of ..." while a real one exists.
#include <gtest/gtest.h>

#include "pulse_fixture.h"
#include "support/signal.h"
#include "support/test_host.h"

namespace {

using namespace pulsetest;

std::vector<std::string> names(bool output) {
    std::vector<std::string> found;
    for (UINT i = 0; i < (output ? waveOutGetNumDevs() : waveInGetNumDevs()); ++i) {
        WAVEOUTCAPSA out{};
        WAVEINCAPSA in{};
        found.emplace_back(output ? (waveOutGetDevCapsA(i, &out, sizeof out), out.szPname)
                                  : (waveInGetDevCapsA(i, &in, sizeof in), in.szPname));
    }
    return found;
}

/** Runs pactl; for load-module the module's number, else 0; -1 on failure. */
int pactl(const std::string& arguments) {
    int status = -1;
    const std::string out = wdtest::runCommand("pactl " + arguments + " 2>/dev/null", &status);
    return status == 0 ? std::atoi(out.c_str()) : -1;
}

TEST(PulseDevices, TheDefaultSinkAndSourceComeFirstAndMonitorsLast) {
    REQUIRE_TEST_SERVER(sink, monitor);
    if (!wdtest::haveProgram("pactl")) GTEST_SKIP() << "pactl is not installed";
    const int source = pactl("load-module module-null-source source_name=wd_order_source description=WD_Order_Source");
    const int second = pactl("load-module module-null-sink sink_name=wd_order_sink "
                             "sink_properties=device.description=WD_Order_Sink");
    pactl("set-default-source wd_order_source");
    pactl("set-default-sink wd_order_sink");
    wdtest::TestHost host;
    const std::vector<std::string> inputs = {"WD_Order_Source", "Monitor of CI_Null_Sink", "Monitor of WD_Order_Sink"};
    const std::vector<std::string> outputs = {"WD_Order_Sink", "CI_Null_Sink"};
    EXPECT_TRUE(source >= 0 && second >= 0 &&
                host.pumpUntil([&] { return names(false) == inputs && names(true) == outputs; }, 5000ms))
        << "inputs " << ::testing::PrintToString(names(false)) << ", outputs " << ::testing::PrintToString(names(true));
    pactl("set-default-sink ci_sink");
    if (second >= 0) pactl("unload-module " + std::to_string(second));
    if (source >= 0) pactl("unload-module " + std::to_string(source));
}

}  // namespace
