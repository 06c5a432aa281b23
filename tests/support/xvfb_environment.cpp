#include "tests/support/xvfb_environment.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string displayName;

class XvfbEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        int fds[2];
        if (pipe(fds) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            close(fds[0]);
            const std::string fd = std::to_string(fds[1]);
            // Detach from the test's stdio so Xvfb's chatter does not mix in.
            std::freopen("/dev/null", "w", stdout);
            std::freopen("/dev/null", "w", stderr);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
                   "-noreset", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        if (pid_ < 0) {
            close(fds[0]);
            return;
        }
        // Xvfb writes the display number once it accepts connections.
        char buffer[32] = {};
        size_t used = 0;
        while (used < sizeof buffer - 1) {
            const ssize_t n = read(fds[0], buffer + used, sizeof buffer - 1 - used);
            if (n <= 0) break;
            used += static_cast<size_t>(n);
            if (buffer[used - 1] == '\n') break;
        }
        close(fds[0]);
        const int number = std::atoi(buffer);
        if (used == 0 || number < 0) return;
        displayName = ":" + std::to_string(number);
        setenv("DISPLAY", displayName.c_str(), 1);
        setenv("SDL_VIDEODRIVER", "x11", 1);
        setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
    }

    void TearDown() override
    {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
            pid_ = -1;
        }
    }

private:
    pid_t pid_ = -1;
};

// Registered at load time: the object library is linked whole into each test.
[[maybe_unused]] const auto* registered = ::testing::AddGlobalTestEnvironment(new XvfbEnvironment);

}  // namespace

namespace testsupport {

const char* xvfbDisplay()
{
    return displayName.c_str();
}

}  // namespace testsupport
