#include "fault_plan.h"

#include <algorithm>

namespace zov::sim {

Shape shapeOf(const FaultPlan& plan) {
    Shape shape;
    shape.delay = plan.delay;
    shape.equalPieces = static_cast<std::size_t>(std::max(1, plan.splitPieces));
    shape.splitGap = plan.splitGap;
    shape.leadingGarbage = plan.leadingGarbage;
    shape.trailingBytes = plan.trailingBytes;
    return shape;
}

void setShape(FaultPlan& plan, const Shape& shape) {
    plan.delay = shape.delay;
    plan.splitPieces = static_cast<int>(shape.equalPieces);
    plan.splitGap = shape.splitGap;
    plan.leadingGarbage = shape.leadingGarbage;
    plan.trailingBytes = shape.trailingBytes;
}

}  // namespace zov::sim
