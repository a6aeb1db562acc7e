// A sound server that stops answering (frozen, not gone) must not hold the host's
// user-interface thread: after one wait that runs out, the exports answer from what was
// last known, and the server is tried again in the background until it answers.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

#include "pulse_fixture.h"
#include "support/test_host.h"
#include "wavedeck.h"

namespace {

using namespace pulsetest;
using Clock = std::chrono::steady_clock;

/** The process id of the server behind PULSE_SERVER (or the default socket), from the
 * peer credentials of a connection to it; -1 when it cannot be found. */
pid_t serverProcess() {
    std::string path;
    if (const char* server = std::getenv("PULSE_SERVER"); server && std::strncmp(server, "unix:", 5) == 0) {
        path = server + 5;
    } else if (const char* runtime = std::getenv("XDG_RUNTIME_DIR")) {
        path = std::string(runtime) + "/pulse/native";
    }
    sockaddr_un address{};
    if (path.empty() || path.size() >= sizeof address.sun_path) return -1;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size());
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    ucred peer{};
    socklen_t size = sizeof peer;
    const bool found = fd >= 0 && connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                       getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0;
    if (fd >= 0) close(fd);
    return found ? peer.pid : -1;
}

/** Stops the server for its lifetime. A child of this test wakes the server after 20 s
 * whatever happens to the test, so a crash here never leaves it frozen. */
class Freeze {
public:
    explicit Freeze(pid_t server) : server_(server) {
        guard_ = fork();
        if (guard_ == 0) {
            sleep(20);
            kill(server, SIGCONT);
            _exit(0);
        }
        kill(server_, SIGSTOP);
    }
    ~Freeze() {
        kill(server_, SIGCONT);
        if (guard_ > 0) {
            kill(guard_, SIGKILL);
            waitpid(guard_, nullptr, 0);
        }
    }
    Freeze(const Freeze&) = delete;
    Freeze& operator=(const Freeze&) = delete;

private:
    pid_t server_;
    pid_t guard_ = -1;
};

double secondsOf(const std::function<void()>& call) {
    const Clock::time_point start = Clock::now();
    call();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

TEST(FrozenServer, ExportsAnswerFromTheLastKnownStateAndTheServerIsHeardAgainOnceItWakes) {
    REQUIRE_TEST_SERVER(sink, monitor);
    const pid_t server = serverProcess();
    if (server <= 0) GTEST_SKIP() << "the server's process cannot be found from its socket";
    wdtest::TestHost host;
    WDXSetWaveOutDevice(sink);
    WDXSetVolVol(0, 65535, 65535);
    int left = -1, right = -1;
    WDXGetVolVol(0, &left, &right);
    ASSERT_EQ(left, 65535);

    {
        Freeze freeze(server);
        // The first call that needs the server waits for it once, for at most the
        // server timeout of 2 s; every later call answers at once from what it knew.
        EXPECT_LT(secondsOf([] { WDXSetVolVol(0, 30000, 30000); }), 3.0);
        const double later = secondsOf([&] {
            WDXGetVolVol(0, &left, &right);
            WDXGetVolMute(0);
            WDXSetVolMute(1, 0);
            WDXGetWaveOutDeviceCount();
            WDXGetWaveInDeviceCount();
            char name[WD_MAX_TEXT];
            WDXGetWaveOutDeviceName(sink, name);
            WDXGetRecLineCount();
            WDXPlayTrack(0);
        });
        EXPECT_LT(later, 1.0) << "the calls after the first one waited for the frozen server";
        EXPECT_EQ(left, 65535) << "the last known volume";
    }

    // Awake again: within a few retries a change goes through and is read back.
    ASSERT_TRUE(host.pumpUntil(
        [&] {
            WDXSetVolVol(0, 30000, 30000);
            WDXGetVolVol(0, &left, &right);
            return std::abs(left - 30000) <= 2;
        },
        10000ms))
        << "the server was not heard again after it woke";
    WDXSetVolVol(0, 65535, 65535);
}

}  // namespace
