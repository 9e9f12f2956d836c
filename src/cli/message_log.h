// The engine shows its failures as message boxes; brindle-cli answers them on the terminal.
// While a MessageLog lives it is the process's message handler: every text goes to standard
// error as "brindle-cli: <text>", the one question is answered No (Yes when the user allowed
// it), and a stop message or a declined question is remembered, so that a changing command
// knows not to save.
#pragma once

#include "platform/message_box.h"

namespace cli {

class MessageLog {
public:
    MessageLog();
    ~MessageLog();
    MessageLog(const MessageLog&) = delete;
    MessageLog& operator=(const MessageLog&) = delete;

    void SetAnswerYes(bool yes) { m_answerYes = yes; }
    // While set, stop messages are still shown but no longer count as a failure: for a step
    // whose complaints the user has already accepted (a forced delete over a broken chain).
    void SetStopsExpected(bool expected) { m_stopsExpected = expected; }
    // True once a stop message was shown or a question was answered No: the operation did not
    // complete as asked.
    [[nodiscard]] bool Failed() const { return m_failed; }

private:
    platform::Answer OnMessage(platform::MessageKind kind, const std::string& text);

    platform::MessageHandler m_previous;
    bool m_answerYes = false;
    bool m_stopsExpected = false;
    bool m_failed = false;
};

}  // namespace cli
