#include "command_line.h"

#include <CLI/CLI.hpp>

#include "cli_error.h"
#include "core/util/strings.h"

namespace zirvo::cli {

CCommandLine::CCommandLine(CLI::App& app, std::string path) : m_app(app), m_path(std::move(path)) {}

CCommandLine::~CCommandLine() = default;

CCommandLine& CCommandLine::Flag(const std::string& name, const std::string& help) {
    m_options[name] = m_app.add_flag(name, help);
    return *this;
}

CCommandLine& CCommandLine::Option(const std::string& name, const std::string& valueName,
                                   const std::string& help) {
    CLI::Option* option = m_app.add_option(name, help)->type_name(valueName);
    m_options[name] = option;
    return *this;
}

CCommandLine& CCommandLine::Repeatable(const std::string& name, const std::string& valueName,
                                       const std::string& help) {
    CLI::Option* option = m_app.add_option(name, help)
                              ->type_name(valueName)
                              ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    m_options[name] = option;
    return *this;
}

CCommandLine& CCommandLine::Required(const std::string& name, const std::string& valueName,
                                     const std::string& help) {
    Option(name, valueName, help);
    m_options[name]->required();
    return *this;
}

CCommandLine& CCommandLine::Choice(const std::string& name, const std::vector<std::string>& choices,
                                   const std::string& help) {
    Option(name, Join(choices, "|"), help);
    // The value name already lists the choices.
    m_options[name]->check(CLI::IsMember(choices).description(""));
    return *this;
}

CCommandLine& CCommandLine::MustHave(const std::string& name) {
    m_options.at(name)->required();
    return *this;
}

CCommandLine& CCommandLine::Positionals(const std::string& name, const std::string& help, int min,
                                        int max) {
    m_positionals.push_back(std::make_unique<std::vector<std::string>>());
    CLI::Option* option = nullptr;
    if (max == 1) {
        // A single word is bound as one text, so that CLI11 hands the next word to the next
        // positional instead of failing this one.
        m_singles.push_back(std::make_unique<std::string>());
        option = m_app.add_option(name, *m_singles.back(), help);
        m_singleOf[m_positionals.size() - 1] = {option, m_singles.back().get()};
    } else {
        option = m_app.add_option(name, *m_positionals.back(), help);
        option->expected(min, max < 0 ? CLI::detail::expected_max_vector_size : max);
    }
    if (min > 0) {
        option->required();
    }
    m_options[name] = option;
    return *this;
}

CCommandLine& CCommandLine::Examples(
    const std::vector<std::pair<std::string, std::string>>& examples) {
    m_examples = "\nExamples:\n";
    for (const auto& [line, what] : examples) {
        m_examples += "  " + line + "\n      " + what + "\n";
    }
    UpdateFooter();
    return *this;
}

CCommandLine& CCommandLine::Description(const std::string& text) {
    m_description = "\n" + text + "\n";
    UpdateFooter();
    return *this;
}

void CCommandLine::UpdateFooter() {
    // The command list shows each command's summary only; the rest goes below the options.
    m_app.footer(m_description + m_examples);
}

CCommandLine& CCommandLine::Sub(const std::string& name, const std::string& summary) {
    CLI::App* sub = m_app.add_subcommand(name, summary);
    m_app.require_subcommand(1);
    m_children.emplace_back(name, std::make_unique<CCommandLine>(*sub, m_path + " " + name));
    return *m_children.back().second;
}

CLI::Option* CCommandLine::Find(const std::string& name) const {
    auto it = m_options.find(name);
    return it == m_options.end() ? nullptr : it->second;
}

bool CCommandLine::Has(const std::string& name) const {
    CLI::Option* option = Find(name);
    return option != nullptr && option->count() > 0;
}

std::optional<std::string> CCommandLine::Value(const std::string& name) const {
    CLI::Option* option = Find(name);
    if (option == nullptr || option->count() == 0 || option->results().empty()) {
        return std::nullopt;
    }
    return option->results().back();
}

std::string CCommandLine::ValueOr(const std::string& name, const std::string& fallback) const {
    return Value(name).value_or(fallback);
}

std::vector<std::string> CCommandLine::Values(const std::string& name) const {
    CLI::Option* option = Find(name);
    if (option == nullptr || option->count() == 0) {
        return {};
    }
    return option->results();
}

long long CCommandLine::IntValue(const std::string& name, long long min, long long max,
                                 long long fallback) const {
    const std::optional<std::string> value = Value(name);
    if (!value) {
        return fallback;
    }
    long long parsed = 0;
    if (!ParseInt(*value, parsed) || parsed < min || parsed > max) {
        UsageFail("option " + name + " needs a whole number from " + std::to_string(min) + " to " +
                  std::to_string(max) + ", not '" + *value + "'");
    }
    return parsed;
}

std::vector<std::string> CCommandLine::Positionals() const {
    std::vector<std::string> words;
    for (size_t i = 0; i < m_positionals.size(); ++i) {
        auto single = m_singleOf.find(i);
        if (single != m_singleOf.end()) {
            if (single->second.first->count() > 0) {
                words.push_back(*single->second.second);
            }
            continue;
        }
        words.insert(words.end(), m_positionals[i]->begin(), m_positionals[i]->end());
    }
    return words;
}

std::string CCommandLine::Chosen() const {
    for (const auto& [name, child] : m_children) {
        if (child->m_app.parsed()) {
            return name;
        }
    }
    return std::string();
}

const CCommandLine& CCommandLine::Child(const std::string& name) const {
    CCommandLine* child = FindChild(name);
    if (child == nullptr) {
        UsageFail("unknown sub-command '" + name + "'");
    }
    return *child;
}

CCommandLine* CCommandLine::FindChild(const std::string& name) const {
    for (const auto& [childName, child] : m_children) {
        if (childName == name) {
            return child.get();
        }
    }
    return nullptr;
}

std::vector<std::string> CCommandLine::SubNames() const {
    std::vector<std::string> names;
    for (const auto& [name, child] : m_children) {
        names.push_back(name);
    }
    return names;
}

void CCommandLine::UsageFail(const std::string& text) const {
    throw CliError::Usage(text + " (" + HelpHint() + ")");
}

}  // namespace zirvo::cli
