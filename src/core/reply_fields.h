// Replies that carry a list of values, each ended by a comma.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zov::core {

// Up to `count` comma-terminated fields of `reply`, the first starting at
// character `start` (1-based, character 1 being the STX). Taking stops at the
// first field without a comma after it, so fewer may come back.
[[nodiscard]] std::vector<std::string> commaFields(std::string_view reply, int start,
                                                   std::size_t count);

}  // namespace zov::core
