#pragma once
// A small argument parser for one command: options are declared first, then Parse() splits the
// arguments into options and positionals and reports unknown options and missing values.

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace zirvo::cli {

class CArgs {
public:
    // An option without value ("--all").
    CArgs& Flag(const std::string& name);
    // An option that takes one value ("--title T" or "--title=T"); repeatable ones collect all.
    CArgs& Option(const std::string& name, bool repeatable = false);

    // False with Error() set on an unknown option or a missing value. "--" ends the options.
    bool Parse(const std::vector<std::string>& args);
    const std::string& Error() const { return m_error; }

    bool Has(const std::string& name) const;
    std::optional<std::string> Value(const std::string& name) const;
    std::string ValueOr(const std::string& name, const std::string& fallback) const;
    std::vector<std::string> Values(const std::string& name) const;
    const std::vector<std::string>& Positionals() const { return m_positionals; }

    // Reads an integer option; false with Error() set when it is present but not a number in
    // [min, max].
    bool IntValue(const std::string& name, long long min, long long max, long long& out);

private:
    std::set<std::string> m_flags;
    std::map<std::string, bool> m_options;  // name -> repeatable
    std::map<std::string, std::vector<std::string>> m_values;
    std::set<std::string> m_seenFlags;
    std::vector<std::string> m_positionals;
    std::string m_error;
};

}  // namespace zirvo::cli
