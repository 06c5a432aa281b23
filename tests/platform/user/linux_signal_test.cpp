// Ctrl+C (SIGINT) and kill (SIGTERM) ask a program of the layer to end as
// Windows asks a task to end politely: WM_CLOSE to its main window, also
// while it waits in GetMessage, so that it ends through its own shutdown
// (a full-screen program gives the desktop its mode back). The program is
// signal_child.cpp, started on the test's X display. Linux only.
#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>

namespace {

// The child with its standard output on a pipe; killed and reaped at the end.
class ChildProgram {
public:
    explicit ChildProgram(const char* path)
    {
        int fds[2];
        if (pipe(fds) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(fds[1], 1);
            close(fds[0]);
            close(fds[1]);
            // As started from a terminal, whatever this test inherited.
            signal(SIGINT, SIG_DFL);
            signal(SIGTERM, SIG_DFL);
            sigset_t none;
            sigemptyset(&none);
            sigprocmask(SIG_SETMASK, &none, nullptr);
            execl(path, path, static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        output_ = fds[0];
    }
    ~ChildProgram()
    {
        if (pid_ > 0 && !reaped_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (output_ >= 0) close(output_);
    }
    ChildProgram(const ChildProgram&) = delete;
    ChildProgram& operator=(const ChildProgram&) = delete;

    pid_t pid() const { return pid_; }

    // What the child printed until it printed a whole line, ended, or
    // `limitMs` passed (the limit only stops a broken test from hanging).
    std::string firstLine(int limitMs)
    {
        std::string text;
        pollfd entry{output_, POLLIN, 0};
        while (text.find('\n') == std::string::npos && poll(&entry, 1, limitMs) > 0) {
            char buffer[64];
            const ssize_t n = read(output_, buffer, sizeof buffer);
            if (n <= 0) break;
            text.append(buffer, static_cast<size_t>(n));
        }
        return text;
    }

    // The wait status once the child ended; false while it still runs after `limitMs`.
    bool waitForEnd(int limitMs, int* status)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
        do {
            if (waitpid(pid_, status, WNOHANG) == pid_) {
                reaped_ = true;
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        } while (std::chrono::steady_clock::now() < end);
        return false;
    }

private:
    pid_t pid_ = -1;
    int output_ = -1;
    bool reaped_ = false;
};

TEST(UserLinuxSignals, InterruptAndTerminateCloseTheWindowOfAProgramWaitingForMessages)
{
    for (const int number : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(strsignal(number));
        ChildProgram child(Q31_SIGNAL_CHILD);
        ASSERT_GT(child.pid(), 0);
        ASSERT_EQ(child.firstLine(20000), "ready\n");
        ASSERT_EQ(kill(child.pid(), number), 0);
        int status = 0;
        ASSERT_TRUE(child.waitForEnd(10000, &status)) << "the program is still running";
        ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status) << ", not by closing its window";
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }
}

}  // namespace
