#pragma once
// A failure of a command-line command. A usage error (a bad argument) exits
// with status 2 and prints the command's usage after the message; any other
// failure (an unreadable or malformed file, a failed update) exits with 1 and
// prints the message alone. Either way nothing reaches standard output: the
// commands build their whole output before it is printed.
#include <stdexcept>
#include <string>

class TCliError : public std::runtime_error {
public:
    static constexpr int FailureStatus = 1;
    static constexpr int UsageStatus = 2;

    TCliError(const std::string& message, int status);

    static TCliError Usage(const std::string& message);
    static TCliError Failure(const std::string& message);

    int Status() const { return status_; }
    bool IsUsage() const { return status_ == UsageStatus; }

private:
    int status_;
};
