// The panel's truth is one test program made of several groups (setpoints
// and scale, status, stops and timers, service windows, stale marking); each
// group is a QtTest class in its own file that registers itself here.
#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <vector>

namespace zov::test {

using TruthGroupFactory = std::function<std::unique_ptr<QObject>()>;

std::vector<TruthGroupFactory>& truthGroups();

struct TruthGroup {
    explicit TruthGroup(TruthGroupFactory make) { truthGroups().push_back(std::move(make)); }
};

}  // namespace zov::test

// Registers a QtTest class of this program: ZOV_TRUTH_GROUP(StopsTest)
#define ZOV_TRUTH_GROUP(Class)                             \
    static const zov::test::TruthGroup registered##Class { \
        [] { return std::unique_ptr<QObject>(new Class); } \
    }
