#pragma once
// One command's command line, declared before parsing and read after it. The parsing itself is
// CLI11's (generated help, usage errors); this class keeps CLI11 out of the command files and
// gives them the few reads they need by option name.
//
// Declaring: Flag, Option (one value), Repeatable (every value kept), Required (an option that
// must be given), Choice (one of a fixed list), Positionals (the bare words, `min` to `max` of
// them, max -1 = any number), Examples (printed at the end of --help), Sub (a sub-command with
// a command line of its own). Several Positionals calls declare bare words in their order.
//
// Threading: the main thread.

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace CLI {
class App;
class Option;
}  // namespace CLI

namespace zirvo::cli {

class CCommandLine {
public:
    // `path` is the command as typed: "list", "account add".
    CCommandLine(CLI::App& app, std::string path);
    ~CCommandLine();
    CCommandLine(const CCommandLine&) = delete;
    CCommandLine& operator=(const CCommandLine&) = delete;

    CCommandLine& Flag(const std::string& name, const std::string& help);
    CCommandLine& Option(const std::string& name, const std::string& valueName,
                         const std::string& help);
    CCommandLine& Repeatable(const std::string& name, const std::string& valueName,
                             const std::string& help);
    CCommandLine& Required(const std::string& name, const std::string& valueName,
                           const std::string& help);
    CCommandLine& Choice(const std::string& name, const std::vector<std::string>& choices,
                         const std::string& help);
    // Makes an option declared before a must.
    CCommandLine& MustHave(const std::string& name);
    CCommandLine& Positionals(const std::string& name, const std::string& help, int min, int max);
    // Two or three typical command lines, each with a line saying what it does.
    CCommandLine& Examples(const std::vector<std::pair<std::string, std::string>>& examples);
    // A longer description printed below the usage.
    CCommandLine& Description(const std::string& text);
    CCommandLine& Sub(const std::string& name, const std::string& summary);

    bool Has(const std::string& name) const;
    std::optional<std::string> Value(const std::string& name) const;
    std::string ValueOr(const std::string& name, const std::string& fallback) const;
    std::vector<std::string> Values(const std::string& name) const;
    // Every bare word, in the order of the declared positionals.
    std::vector<std::string> Positionals() const;
    // An integer option in [min, max]; `fallback` when absent. A usage error otherwise.
    long long IntValue(const std::string& name, long long min, long long max,
                       long long fallback) const;

    // The sub-command that was given (empty when none) and its command line.
    std::string Chosen() const;
    const CCommandLine& Child(const std::string& name) const;
    const std::string& Path() const { return m_path; }
    // "see zirvo-cli PATH --help", for usage messages.
    std::string HelpHint() const { return "see zirvo-cli " + m_path + " --help"; }
    // A usage error naming this command's help.
    [[noreturn]] void UsageFail(const std::string& text) const;

    // The names of the sub-commands, for suggestions.
    std::vector<std::string> SubNames() const;
    CCommandLine* FindChild(const std::string& name) const;

private:
    CLI::Option* Find(const std::string& name) const;
    void UpdateFooter();

    CLI::App& m_app;
    std::string m_path;
    std::string m_description;
    std::string m_examples;
    std::map<std::string, CLI::Option*> m_options;
    std::vector<std::unique_ptr<std::vector<std::string>>> m_positionals;
    std::vector<std::unique_ptr<std::string>> m_singles;
    // Positionals of one word: their option and text, by declaration index.
    std::map<size_t, std::pair<CLI::Option*, std::string*>> m_singleOf;
    std::vector<std::pair<std::string, std::unique_ptr<CCommandLine>>> m_children;
};

}  // namespace zirvo::cli
