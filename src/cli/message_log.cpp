#include "cli/message_log.h"

#include <utility>

#include "cli/command.h"

namespace cli {

MessageLog::MessageLog()
    : m_previous(
          platform::SetMessageHandler([this](platform::MessageKind kind, const std::string& text) {
              return OnMessage(kind, text);
          })) {}

MessageLog::~MessageLog() {
    platform::SetMessageHandler(std::move(m_previous));
}

platform::Answer MessageLog::OnMessage(platform::MessageKind kind, const std::string& text) {
    // A question the user answered yes to beforehand needs no telling; the command says what
    // came of it.
    if (!(kind == platform::MessageKind::Question && m_answerYes)) {
        PrintMessage(text);
    }
    switch (kind) {
        case platform::MessageKind::Stop:
            m_failed = m_failed || !m_stopsExpected;
            return platform::Answer::Ok;
        case platform::MessageKind::Question:
            if (m_answerYes) {
                return platform::Answer::Yes;
            }
            m_failed = true;
            return platform::Answer::No;
        case platform::MessageKind::CautiousQuestion:
            // Never answered yes for the user: what it would throw away is somebody's work.
            m_failed = true;
            return platform::Answer::No;
        case platform::MessageKind::Information:
            break;
    }
    return platform::Answer::Ok;
}

}  // namespace cli
