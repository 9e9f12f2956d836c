#include "platform/message_box.h"

#include <iostream>
#include <utility>

namespace platform {

namespace {
MessageHandler& CurrentHandler() {
    static MessageHandler handler;
    return handler;
}
}  // namespace

MessageHandler SetMessageHandler(MessageHandler handler) {
    return std::exchange(CurrentHandler(), std::move(handler));
}

Answer ShowMessage(MessageKind kind, const std::string& text) {
    if (const MessageHandler& handler = CurrentHandler()) {
        return handler(kind, text);
    }
    std::cerr << text << '\n';
    return IsQuestion(kind) ? Answer::No : Answer::Ok;
}

}  // namespace platform
