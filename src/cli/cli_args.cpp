#include "cli_args.h"

#include "core/util/strings.h"

namespace zirvo::cli {

CArgs& CArgs::Flag(const std::string& name) {
    m_flags.insert(name);
    return *this;
}

CArgs& CArgs::Option(const std::string& name, bool repeatable) {
    m_options[name] = repeatable;
    return *this;
}

bool CArgs::Parse(const std::vector<std::string>& args) {
    bool optionsDone = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsDone || arg.size() < 2 || arg[0] != '-' || arg == "-") {
            m_positionals.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsDone = true;
            continue;
        }
        std::string name = arg;
        std::optional<std::string> inlineValue;
        size_t eq = arg.find('=');
        if (eq != std::string::npos && StartsWith(arg, "--")) {
            name = arg.substr(0, eq);
            inlineValue = arg.substr(eq + 1);
        }
        if (m_flags.count(name)) {
            if (inlineValue) {
                m_error = "option " + name + " takes no value";
                return false;
            }
            m_seenFlags.insert(name);
            continue;
        }
        auto option = m_options.find(name);
        if (option == m_options.end()) {
            m_error = "unknown option " + name;
            return false;
        }
        std::string value;
        if (inlineValue) {
            value = *inlineValue;
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            m_error = "option " + name + " needs a value";
            return false;
        }
        auto& values = m_values[name];
        if (!option->second && !values.empty()) {
            m_error = "option " + name + " given twice";
            return false;
        }
        values.push_back(value);
    }
    return true;
}

bool CArgs::Has(const std::string& name) const {
    return m_seenFlags.count(name) > 0 || m_values.count(name) > 0;
}

std::optional<std::string> CArgs::Value(const std::string& name) const {
    auto it = m_values.find(name);
    if (it == m_values.end() || it->second.empty()) {
        return std::nullopt;
    }
    return it->second.front();
}

std::string CArgs::ValueOr(const std::string& name, const std::string& fallback) const {
    return Value(name).value_or(fallback);
}

std::vector<std::string> CArgs::Values(const std::string& name) const {
    auto it = m_values.find(name);
    return it == m_values.end() ? std::vector<std::string>{} : it->second;
}

bool CArgs::IntValue(const std::string& name, long long min, long long max, long long& out) {
    auto value = Value(name);
    if (!value) {
        return true;
    }
    long long parsed = 0;
    if (!ParseInt(*value, parsed) || parsed < min || parsed > max) {
        m_error = "option " + name + " needs a whole number from " + std::to_string(min) + " to " +
                  std::to_string(max) + ", not \"" + *value + "\"";
        return false;
    }
    out = parsed;
    return true;
}

}  // namespace zirvo::cli
