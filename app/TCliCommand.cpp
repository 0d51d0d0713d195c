#include "TCliCommand.h"

#include <algorithm>

const TCliOption& TCliCommand::FormatOption() {
    static const TCliOption option{"--format", "tsv|json", "tsv", "formato da saída: texto com TAB ou JSON",
                                   {"tsv", "json"}};
    return option;
}

const TCliOption& TCliCommand::HelpOption() {
    static const TCliOption option{"--help", "", "", "mostra o uso do comando e sai", {}};
    return option;
}

std::vector<TCliOption> TCliCommand::AllOptions() const {
    std::vector<TCliOption> all = Options;
    all.push_back(FormatOption());
    all.push_back(HelpOption());
    return all;
}

const TCliOption* TCliCommand::FindOption(const std::string& name) const {
    if (name == FormatOption().Name) return &FormatOption();
    if (name == HelpOption().Name) return &HelpOption();
    const auto found =
        std::find_if(Options.begin(), Options.end(), [&name](const TCliOption& o) { return o.Name == name; });
    return found == Options.end() ? nullptr : &*found;
}

std::string TCliCommand::Usage() const {
    std::string text = "uso: tovisca-cli " + Name;
    for (const std::string& argument : Arguments) text += " " + argument;
    text += " [opções]\n  " + Summary + "\n";
    const std::vector<TCliOption> all = AllOptions();
    // The option column is as wide as its longest entry.
    size_t width = 0;
    auto head = [](const TCliOption& option) {
        return option.IsFlag() ? option.Name : option.Name + " " + option.Value;
    };
    for (const TCliOption& option : all) width = std::max(width, head(option).size());
    for (const TCliOption& option : all) {
        std::string line = "  " + head(option);
        line.append(width + 3 - head(option).size(), ' ');
        line += option.Help;
        if (!option.IsFlag())
            line += option.Default.empty()      ? " (padrão: nenhum)"
                    : option.DescribedDefault() ? " (padrão: " + option.Default.substr(1, option.Default.size() - 2) + ")"
                                                : " (padrão: " + option.Default + ")";
        else if (option.Name != HelpOption().Name)
            line += " (padrão: desligada)";
        text += line + "\n";
    }
    return text;
}
