#pragma once
#include <string>

// The one exception of the program: it ends start-up ("--help", SDL failure).
// The entry function prints the message and ends with the exit status, which
// is 0 only where nothing failed (the help text).
class FatalError {
public:
    explicit FatalError(std::string message, int exitStatus = 1)
        : message(std::move(message)), status(exitStatus) {}
    const std::string& text() const { return message; }
    int exitStatus() const { return status; }

private:
    std::string message;
    int status;
};
