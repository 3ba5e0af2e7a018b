// Runs every group of the panel's truth; the program fails when one case does.
#include <QApplication>
#include <QTest>

#include "truth_groups.h"

namespace zov::test {

std::vector<TruthGroupFactory>& truthGroups() {
    static std::vector<TruthGroupFactory> groups;
    return groups;
}

}  // namespace zov::test

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int failed = 0;
    for (const auto& make : zov::test::truthGroups()) {
        const std::unique_ptr<QObject> group = make();
        failed += QTest::qExec(group.get(), argc, argv);
    }
    return failed == 0 ? 0 : 1;
}
