// The simulated unit's side of the wire: bytes in any order come apart into
// the commands whose frames they complete; a command splits into a name and
// arguments that put together give the text again; every reply is bounded
// and ends as the unit's replies end, and the reply to a numbered command is
// one the console takes as that command's.
#include <QCoreApplication>

#include "fuzz_input.h"
#include "protocol/frame.h"
#include "protocol/reply.h"
#include "sim/command.h"
#include "sim/framing.h"
#include "sim/replies.h"
#include "sim/supply_model.h"

namespace {

using zov::fuzz::require;
namespace sim = zov::sim;

// Longer than any reply the unit makes, its stored texts included.
constexpr std::size_t kLongestReply = 2048;

void checkParse(std::string_view text) {
    const auto command = sim::parseCommand(text);
    if (!command) {
        return;
    }
    if (command->dialect == sim::Command::Dialect::Numbered) {
        std::string joined;
        for (std::size_t i = 0; i < command->args.size(); ++i) {
            joined += (i > 0 ? "," : "") + command->args[i];
        }
        const std::string_view rest = text.substr(3);
        require(text.substr(0, 2) == command->name &&
                    (rest == joined || std::string(rest) == joined + ","),
                "a numbered command is its number and its fields");
        return;
    }
    require(command->name.size() >= 3 && command->name.size() <= 4,
            "a mnemonic has 3 or 4 letters");
    for (const char c : command->name) {
        require(c >= 'A' && c <= 'Z', "a mnemonic is capitals");
    }
    const std::string bare = command->name + ";";
    const std::string blank = command->name + " ;";
    const std::string withArgument =
        command->args.empty() ? std::string() : command->name + " " + command->args[0] + ";";
    require(command->args.size() <= 1 &&
                (text == bare || text == blank || (!command->args.empty() && text == withArgument)),
            "a mnemonic command is its name and at most one argument");
}

void checkReply(sim::SupplyModel& model, const std::string& text) {
    const std::string reply = sim::replyTo(model, text);
    require(!reply.empty() && reply.size() <= kLongestReply, "every command gets a bounded reply");
    require(reply.back() == ';' || reply.back() == ',', "a reply ends as the unit's replies end");
    const std::string received = zov::protocol::kStx + reply;
    require(zov::protocol::echoesCommand(received, text), "a reply is the command's own");
    const std::string refusal = sim::refusalTo(text);
    require(zov::protocol::echoesCommand(zov::protocol::kStx + refusal, text),
            "a refusal is the command's own");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    // The model's timers want an application object.
    static QCoreApplication application(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zov::fuzz::Input input(data, size);
    const auto link = input.byte() % 2 == 0 ? sim::Link::Serial : sim::Link::Tcp;
    const std::size_t piece = 1 + input.byte() % 32;
    const std::string_view bytes = input.rest();

    // Commands as a text on their own, and as the frames the bytes make.
    checkParse(bytes);
    sim::FrameReader reader(link);
    std::vector<std::string> commands;
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
        for (std::string& command : reader.feed(bytes.substr(at, piece))) {
            require(command.size() <= 512, "a command frame is bounded");
            commands.push_back(std::move(command));
        }
    }
    sim::SupplyModel model;
    for (const std::string& command : commands) {
        checkParse(command);
        checkReply(model, command);
        // What the unit heard, framed as the console frames it, is heard again.
        if (command.find(zov::protocol::kStx) == std::string::npos &&
            command.find(link == sim::Link::Serial ? zov::protocol::kLf : zov::protocol::kEtx) ==
                std::string::npos) {
            sim::FrameReader again(link);
            const auto heard =
                again.feed(link == sim::Link::Serial ? zov::protocol::serialFrame(command)
                                                     : zov::protocol::tcpFrame(command));
            require(heard.size() == 1 && heard[0] == command, "a framed command is heard whole");
        }
    }
    return 0;
}
