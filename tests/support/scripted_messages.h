// Scripts platform::ShowMessage for one test: records every message (kind and text) and answers
// questions from a queue (No once it is empty; every other box is answered Ok). The previous
// handler comes back on destruction.
#pragma once

#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "platform/message_box.h"

namespace testsupport {

struct ShownMessage {
    platform::MessageKind kind;
    std::string text;
};

class ScriptedMessages {
public:
    ScriptedMessages()
        : m_previous(platform::SetMessageHandler(
              [this](platform::MessageKind kind, const std::string& text) {
                  return OnMessage(kind, text);
              })) {}
    ~ScriptedMessages() { platform::SetMessageHandler(std::move(m_previous)); }
    ScriptedMessages(const ScriptedMessages&) = delete;
    ScriptedMessages& operator=(const ScriptedMessages&) = delete;

    // The answer to the next question not yet answered.
    void AnswerNext(platform::Answer answer) { m_answers.push_back(answer); }

    [[nodiscard]] const std::vector<ShownMessage>& Shown() const { return m_shown; }
    [[nodiscard]] std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const ShownMessage& message : m_shown) {
            texts.push_back(message.text);
        }
        return texts;
    }
    [[nodiscard]] std::vector<platform::MessageKind> Kinds() const {
        std::vector<platform::MessageKind> kinds;
        for (const ShownMessage& message : m_shown) {
            kinds.push_back(message.kind);
        }
        return kinds;
    }
    void Clear() { m_shown.clear(); }

private:
    platform::Answer OnMessage(platform::MessageKind kind, const std::string& text) {
        m_shown.push_back({kind, text});
        if (!platform::IsQuestion(kind)) {
            return platform::Answer::Ok;
        }
        if (m_answers.empty()) {
            return platform::Answer::No;
        }
        const platform::Answer answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }

    platform::MessageHandler m_previous;
    std::deque<platform::Answer> m_answers;
    std::vector<ShownMessage> m_shown;
};

}  // namespace testsupport
