// Modal message boxes as a process-wide seam. The GUI installs a handler that shows a real box;
// tests install one that records the texts and answers as scripted.
#pragma once

#include <functional>
#include <string>

namespace platform {

// Stop: stop icon + OK. Question: question icon + Yes/No. Information: information icon + OK.
// CautiousQuestion: question icon + Yes/No with No as the default button, for a question whose
// Yes throws something away that can't be had back (another program's change, a file's bytes).
enum class MessageKind { Stop, Question, Information, CautiousQuestion };

[[nodiscard]] inline bool IsQuestion(MessageKind kind) {
    return kind == MessageKind::Question || kind == MessageKind::CautiousQuestion;
}
enum class Answer { Ok, Yes, No };

using MessageHandler = std::function<Answer(MessageKind kind, const std::string& text)>;

// Installs the handler for the whole process and returns the previous one.
MessageHandler SetMessageHandler(MessageHandler handler);

// Without a handler the text goes to standard error and the answer is Ok (No to a question).
Answer ShowMessage(MessageKind kind, const std::string& text);

}  // namespace platform
