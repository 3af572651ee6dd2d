#pragma once
#include <string>

// The one exception of the program: it ends start-up ("--help", SDL failure).
// The entry function prints the message.
class FatalError {
public:
    explicit FatalError(std::string message) : message(std::move(message)) {}
    const std::string& text() const { return message; }

private:
    std::string message;
};
