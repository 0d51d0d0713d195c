#include "TCliArguments.h"

#include "TCliCommand.h"
#include "TCliError.h"

#include <algorithm>
#include <charconv>

TCliArguments::TCliArguments(const TCliCommand& command, std::span<const std::string> args) : command_(&command) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!arg.starts_with("--")) {
            arguments_.push_back(arg);
            continue;
        }
        const size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        const TCliOption* option = command.FindOption(name);
        if (option == nullptr) throw TCliError::Usage("opção desconhecida: " + name);
        if (given_.contains(name)) throw TCliError::Usage("opção repetida: " + name);
        std::string value;
        if (option->IsFlag()) {
            if (equals != std::string::npos) throw TCliError::Usage(name + " não recebe valor");
        } else if (equals != std::string::npos) {
            value = arg.substr(equals + 1);
        } else {
            if (i + 1 >= args.size()) throw TCliError::Usage("falta o valor de " + name);
            value = args[++i];
        }
        if (!option->Choices.empty() &&
            std::find(option->Choices.begin(), option->Choices.end(), value) == option->Choices.end())
            throw TCliError::Usage("valor inválido para " + name + ": " + value + " (use " + option->Value + ")");
        given_[name] = value;
    }
    if (!HelpAsked() && arguments_.size() != command.Arguments.size()) {
        std::string expected;
        for (const std::string& name : command.Arguments) expected += " " + name;
        throw TCliError::Usage(arguments_.size() < command.Arguments.size() ? "faltam argumentos:" + expected
                                                                              : "argumentos demais");
    }
}

TCliReport::TFormat TCliArguments::Format() const {
    return Text("--format") == "json" ? TCliReport::TFormat::Json : TCliReport::TFormat::Tsv;
}

const std::string& TCliArguments::Argument(size_t i) const {
    return arguments_.at(i);
}

bool TCliArguments::Given(const std::string& name) const {
    return given_.contains(name);
}

std::string TCliArguments::Text(const std::string& name) const {
    if (const auto found = given_.find(name); found != given_.end()) return found->second;
    const TCliOption* option = command_->FindOption(name);
    return option && !option->DescribedDefault() ? option->Default : std::string();
}

int64_t TCliArguments::ParseInt(const std::string& text, int64_t low, int64_t high, const std::string& what) {
    int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < low || value > high)
        throw TCliError::Usage("valor inválido para " + what + ": " + text + " (inteiro de " + std::to_string(low) +
                               " a " + std::to_string(high) + ")");
    return value;
}

std::optional<int64_t> TCliArguments::OptionalInt(const std::string& name, int64_t low, int64_t high) const {
    const std::string text = Text(name);
    if (text.empty() && !Given(name)) return std::nullopt;
    return ParseInt(text, low, high, name);
}

int64_t TCliArguments::Int(const std::string& name, int64_t low, int64_t high) const {
    const std::optional<int64_t> value = OptionalInt(name, low, high);
    if (!value) throw TCliError::Usage("falta " + name);
    return *value;
}

std::optional<uint64_t> TCliArguments::Seed(const std::string& name) const {
    const std::string text = Text(name);
    if (text.empty() && !Given(name)) return std::nullopt;
    uint64_t seed = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seed);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        throw TCliError::Usage("valor inválido para " + name + ": " + text + " (inteiro de 0 a " +
                               std::to_string(UINT64_MAX) + ")");
    return seed;
}
