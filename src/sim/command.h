// The two command dialects the supply understands, split into name and
// arguments.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zov::sim {

struct Command {
    enum class Dialect { Mnemonic, Numbered };

    Dialect dialect = Dialect::Mnemonic;
    // "VREF", "SLVR" ... or the two digits "12", "99" ...
    std::string name;
    // Mnemonic: at most one argument, the text between the blank and the
    // closing ";" ("SLVR ;" and "SLVR;" both carry none). Numbered: every
    // comma-separated field after "nn,"; the closing "," is optional
    // ("10,2048" and "10,2048," both carry "2048").
    std::vector<std::string> args;

    [[nodiscard]] std::string_view arg(std::size_t index) const {
        return index < args.size() ? std::string_view(args[index]) : std::string_view();
    }
};

// Nothing when the text belongs to neither dialect.
[[nodiscard]] std::optional<Command> parseCommand(std::string_view text);

}  // namespace zov::sim
