// The cuts every window makes of a reply by character position, the
// identity fields among them: a cut is the reply's own text at that place,
// ends where the delimiter is, and a numbered reply is only taken as the
// answer of the command whose number it echoes.
#include "core/reply_fields.h"
#include "fuzz_input.h"
#include "protocol/reply.h"

namespace {

using zov::fuzz::require;
namespace protocol = zov::protocol;
namespace core = zov::core;

// The characters of `reply` from 1-based `start`, as a view; empty past its end.
std::string_view from(std::string_view reply, int start) {
    const auto begin = static_cast<std::size_t>(start - 1);
    return begin < reply.size() ? reply.substr(begin) : std::string_view();
}

void checkCharAt(std::string_view reply, int position) {
    const auto c = protocol::charAt(reply, position);
    if (position < 1 || static_cast<std::size_t>(position) > reply.size()) {
        require(!c, "nothing is read past the reply");
    } else {
        require(c == reply[static_cast<std::size_t>(position - 1)], "the character is the reply's");
    }
}

void checkCutUntil(std::string_view reply, int start, char delimiter, int searchFrom) {
    const auto cut = protocol::cutUntil(reply, start, delimiter, searchFrom);
    if (start < 1 || searchFrom < 1) {
        require(!cut, "no cut before the reply's start");
        return;
    }
    const std::string_view searched = from(reply, searchFrom);
    const auto found = searched.find(delimiter);
    if (found == std::string_view::npos) {
        require(!cut, "no cut without its delimiter");
        return;
    }
    require(cut.has_value(), "a delimiter gives a cut");
    const std::size_t delimiterAt = static_cast<std::size_t>(searchFrom - 1) + found;
    const auto begin = static_cast<std::size_t>(start - 1);
    if (begin >= delimiterAt) {
        require(cut->empty(), "a cut starting at its delimiter is empty");
        return;
    }
    require(*cut == reply.substr(begin, delimiterAt - begin), "the cut is the reply's text");
}

void checkCutFixed(std::string_view reply, int start, int length) {
    const std::string cut = protocol::cutFixed(reply, start, length);
    if (start < 1 || length <= 0) {
        require(cut.empty(), "nothing before the start or of no length");
        return;
    }
    require(cut == from(reply, start).substr(0, static_cast<std::size_t>(length)),
            "the fixed cut is the reply's text");
}

void checkEcho(std::string_view reply, std::string_view command) {
    const bool numbered = command.size() >= 3 && command[0] >= '0' && command[0] <= '9' &&
                          command[1] >= '0' && command[1] <= '9' && command[2] == ',';
    const bool echoes = protocol::echoesCommand(reply, command);
    if (!numbered) {
        require(echoes, "a mnemonic reply carries no echo");
        return;
    }
    require(echoes == (reply.size() > 3 && reply.substr(1, 3) == command.substr(0, 3)),
            "a numbered reply is this command's when it echoes its number");
}

void checkCommaFields(std::string_view reply, int start, std::size_t count) {
    const auto fields = core::commaFields(reply, start, count);
    require(fields.size() <= count, "no more fields than asked");
    int at = start;
    for (const std::string& field : fields) {
        require(field.find(',') == std::string::npos, "a field holds no comma");
        require(from(reply, at).substr(0, field.size() + 1) == field + ',',
                "a field is the reply's text up to its comma");
        at += static_cast<int>(field.size()) + 1;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zov::fuzz::Input input(data, size);
    // Positions near the reply and a little beyond, negative ones included.
    const int start = static_cast<int>(input.byte()) - 8;
    const int other = static_cast<int>(input.byte()) - 8;
    const int length = static_cast<int>(input.byte()) - 8;
    const char delimiter = static_cast<char>(input.byte());
    const std::string_view command = input.text();
    const std::string_view reply = input.rest();

    checkCharAt(reply, start);
    checkCutUntil(reply, start, delimiter, other);
    checkCutUntil(reply, start, delimiter, start);
    checkCutFixed(reply, start, length);
    checkEcho(reply, command);
    checkCommaFields(reply, start, static_cast<std::size_t>(other < 0 ? 0 : other % 12));
    // The identity fields: revisions and model to ";", the build to ",".
    checkCutFixed(reply, 2, 3);
    checkCutFixed(reply, 2, 11);
    checkCutUntil(reply, 2, ';', 2);
    checkCutUntil(reply, 17, ',', 17);
    return 0;
}
