#include "reply_fields.h"

#include "protocol/reply.h"

namespace zov::core {

std::vector<std::string> commaFields(std::string_view reply, int start, std::size_t count) {
    std::vector<std::string> fields;
    while (fields.size() < count) {
        auto field = protocol::cutUntil(reply, start, ',');
        if (!field) {
            break;
        }
        start += static_cast<int>(field->size()) + 1;
        fields.push_back(std::move(*field));
    }
    return fields;
}

}  // namespace zov::core
