#pragma once
// The arguments of one command, read against its declaration: the positional
// arguments, the options given, and typed reads that fall back to each
// option's declared default. Every fault is a usage error (TCliError, status 2).
//
// Options are written "--name VALUE" or "--name=VALUE"; a flag takes no value;
// an option may be given once. Numbers are read in the C locale, whatever the
// system's, so scripts behave the same everywhere.
#include "TCliReport.h"

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

class TCliCommand;

class TCliArguments {
public:
    // Throws TCliError::Usage for an unknown option, a missing value, a value
    // outside an option's choices, a repeated option or a wrong number of
    // positional arguments (unless --help is given).
    TCliArguments(const TCliCommand& command, std::span<const std::string> args);

    const TCliCommand& Command() const { return *command_; }
    bool HelpAsked() const { return Flag("--help"); }
    TCliReport::TFormat Format() const;

    // The i-th positional argument.
    const std::string& Argument(size_t i) const;

    // Whether the option was written on the command line.
    bool Given(const std::string& name) const;
    bool Flag(const std::string& name) const { return Given(name); }
    // The option's text, or its default; empty when neither.
    std::string Text(const std::string& name) const;
    // The option (or its default) as an integer in low..high; nothing when
    // neither was given.
    std::optional<int64_t> OptionalInt(const std::string& name, int64_t low, int64_t high) const;
    // As OptionalInt, for an option that has a default.
    int64_t Int(const std::string& name, int64_t low, int64_t high) const;
    // A random seed: any unsigned 64-bit integer; nothing when absent.
    std::optional<uint64_t> Seed(const std::string& name) const;

    // Reads a text as an integer in low..high, or throws a usage error naming
    // `what`.
    static int64_t ParseInt(const std::string& text, int64_t low, int64_t high, const std::string& what);

private:
    const TCliCommand* command_;
    std::vector<std::string> arguments_;
    std::map<std::string, std::string> given_;
};
