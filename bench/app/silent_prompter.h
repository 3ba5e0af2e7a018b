// A Prompter for benchmarks: every box is answered at once, nothing shown.
#pragma once

#include "app/widgets/prompter.h"

namespace zov::bench {

class SilentPrompter : public app::Prompter {
public:
    void message(const QString&, const QString&, Icon) override {}
    bool confirm(const QString&, const QString&) override { return true; }
    std::optional<QString> input(const QString&, const QString&, const QString&) override {
        return QString();
    }
};

}  // namespace zov::bench
