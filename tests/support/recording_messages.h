// Records every message box (kind and text) while installed; every box is answered Ok.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/message_box.h"

namespace testsupport {

class RecordingMessages {
public:
    RecordingMessages()
        : m_previous(platform::SetMessageHandler(
              [this](platform::MessageKind kind, const std::string& text) {
                  kinds.push_back(kind);
                  texts.push_back(text);
                  return platform::Answer::Ok;
              })) {}
    ~RecordingMessages() { platform::SetMessageHandler(std::move(m_previous)); }
    RecordingMessages(const RecordingMessages&) = delete;
    RecordingMessages& operator=(const RecordingMessages&) = delete;

    void Clear() {
        kinds.clear();
        texts.clear();
    }

    std::vector<platform::MessageKind> kinds;
    std::vector<std::string> texts;

private:
    platform::MessageHandler m_previous;
};

}  // namespace testsupport
