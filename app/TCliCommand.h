#pragma once
// One command of tovisca-cli as it is declared: its name, its positional
// arguments, its options with their defaults, and the function that runs it.
// The program adds "--format tsv|json" and "--help" to every command, so the
// declarations list only their own options.
#include <functional>
#include <string>
#include <vector>

class TCliArguments;
class TCliReport;

// An option "--name VALUE" (or a flag "--name" when Value is empty).
struct TCliOption {
    std::string Name;                 // "--sample"
    std::string Value;                // "S", or "csn|ball" for a choice; empty for a flag
    // The value used when the option is absent; empty: none. A text in
    // parentheses ("(4 para 60 números)") describes a default the command
    // works out itself: it is shown in the usage and never read as a value.
    std::string Default;
    std::string Help;                 // one line
    std::vector<std::string> Choices; // the accepted values; empty: any text
    bool IsFlag() const { return Value.empty(); }
    bool DescribedDefault() const { return Default.starts_with('('); }
};

class TCliCommand {
public:
    using Runner = std::function<void(const TCliArguments& arguments, TCliReport& report)>;

    std::string Name;                   // "lexico"
    std::vector<std::string> Arguments; // positional arguments, in order: "ARQUIVO"
    std::string Summary;                // one line for the program's help
    std::vector<TCliOption> Options;    // the command's own options
    Runner Run;

    // The options of the command followed by --format and --help.
    std::vector<TCliOption> AllOptions() const;
    // nullptr when the command has no such option.
    const TCliOption* FindOption(const std::string& name) const;
    // "tovisca-cli NAME ARG... [opções]" then one line per option with its
    // default.
    std::string Usage() const;

    static const TCliOption& FormatOption();
    static const TCliOption& HelpOption();
};
