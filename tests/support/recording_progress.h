// A progress sink that records every call as text ("begin Opening image ...", "step 3",
// "end"), installed for the lifetime of the object.
#pragma once

#include <QString>
#include <string>
#include <vector>

#include "framework/progress.h"

namespace testsupport {

class RecordingProgress : public framework::ProgressSink {
public:
    RecordingProgress() : m_previous(framework::SetProgressSink(this)) {}
    ~RecordingProgress() override { framework::SetProgressSink(m_previous); }
    RecordingProgress(const RecordingProgress&) = delete;
    RecordingProgress& operator=(const RecordingProgress&) = delete;

    void BeginProgress(const QString& text) override {
        events.push_back("begin " + text.toStdString());
    }
    void SetProgress(unsigned step) override { events.push_back("step " + std::to_string(step)); }
    void EndProgress() override { events.push_back("end"); }

    // The events of one run: "begin text", its steps, "end".
    static std::vector<std::string> Run(const std::string& text, std::vector<unsigned> steps) {
        std::vector<std::string> run{"begin " + text};
        for (unsigned step : steps) {
            run.push_back("step " + std::to_string(step));
        }
        run.push_back("end");
        return run;
    }

    std::vector<std::string> events;

private:
    framework::ProgressSink* m_previous;
};

}  // namespace testsupport
