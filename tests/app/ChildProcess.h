#pragma once
// Runs part of a test in a forked child, for what must not touch the test
// program itself: a file-size limit, a private mount.
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <iostream>
#include <functional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace childprocess {

constexpr int passed = 0;
constexpr int skipped = 77; // the environment cannot provide what the test needs

struct Outcome {
    int code = -1;        // the child's exit status, -1 when a signal ended it
    std::string message;  // what the child reported
};

// Runs `body` in a child; the body returns passed, skipped or any other code
// for a failure, and describes a failure or a skip in `message`.
inline Outcome run(const std::function<int(std::string& message)>& body)
{
    int channel[2];
    Outcome outcome;
    if (pipe(channel) != 0) {
        outcome.message = "pipe failed";
        return outcome;
    }
    // Output still buffered here would be written twice.
    std::cout.flush();
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        std::string message;
        const int code = body(message);
        const char* bytes = message.data();
        size_t left = message.size();
        while (left > 0) {
            const ssize_t written = write(channel[1], bytes, left);
            if (written <= 0)
                break;
            bytes += written;
            left -= static_cast<size_t>(written);
        }
        _exit(code);
    }
    close(channel[1]);
    char buffer[512];
    ssize_t got;
    while ((got = read(channel[0], buffer, sizeof buffer)) > 0 || (got < 0 && errno == EINTR))
        if (got > 0)
            outcome.message.append(buffer, static_cast<size_t>(got));
    close(channel[0]);
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child) {
        outcome.message += " (fork or wait failed)";
        return outcome;
    }
    outcome.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (WIFSIGNALED(status))
        outcome.message += " (ended by signal " + std::to_string(WTERMSIG(status)) + ")";
    return outcome;
}

// Sends this process's standard output into a pipe; returns its reading end.
inline int captureStandardOutput()
{
    int channel[2];
    if (pipe(channel) != 0)
        return -1;
    dup2(channel[1], STDOUT_FILENO);
    close(channel[1]);
    fcntl(channel[0], F_SETFL, O_NONBLOCK);
    return channel[0];
}

// Everything written to the captured standard output so far.
inline std::string takeOutput(int fd)
{
    std::string text;
    char buffer[512];
    ssize_t got;
    while ((got = read(fd, buffer, sizeof buffer)) > 0)
        text.append(buffer, static_cast<size_t>(got));
    return text;
}

} // namespace childprocess

// Reports a child's outcome as a gtest result.
#define EXPECT_CHILD_PASSES(outcome)                                                                    \
    do {                                                                                                \
        const childprocess::Outcome& reported = (outcome);                                              \
        if (reported.code == childprocess::skipped)                                                     \
            GTEST_SKIP() << reported.message;                                                           \
        EXPECT_EQ(reported.code, childprocess::passed) << reported.message;                             \
    } while (false)
