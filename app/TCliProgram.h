#pragma once
// The command-line program: finds the command named by the first argument,
// reads its arguments against its declaration, runs it and prints its output.
//
//   tovisca-cli --help            every command with every option and default (stdout, status 0)
//   tovisca-cli COMMAND --help    that command's usage (stdout, status 0)
//   a usage error                 message and usage on stderr, status 2
//   any other failure             message on stderr, status 1
// Standard output receives the command's output only when it succeeded.
#include "TCliCommand.h"

#include <span>
#include <string>
#include <vector>

class TCliProgram {
public:
    explicit TCliProgram(std::vector<TCliCommand> commands);

    int Run(std::span<const std::string> args) const;
    // Every command's usage, one after another.
    std::string Usage() const;
    const TCliCommand* Find(const std::string& name) const;

private:
    int RunCommand(const TCliCommand& command, std::span<const std::string> args) const;

    std::vector<TCliCommand> commands_;
};
