// Caps the size of the files this process writes (RLIMIT_FSIZE) for the lifetime of the object:
// a write past the cap fails with EFBIG, like a disk that fills up. It works as root too, where
// a folder without write permission stops nothing. SIGXFSZ is ignored meanwhile so the write
// fails instead of ending the process.
#pragma once

#include <sys/resource.h>

#include <csignal>

namespace testsupport {

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        m_ok = getrlimit(RLIMIT_FSIZE, &m_previous) == 0;
        if (m_ok) {
            rlimit capped = m_previous;
            capped.rlim_cur = bytes;
            m_ok = setrlimit(RLIMIT_FSIZE, &capped) == 0;
        }
    }
    ~FileSizeLimit() {
        if (m_ok) {
            setrlimit(RLIMIT_FSIZE, &m_previous);
        }
        std::signal(SIGXFSZ, m_previousHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    [[nodiscard]] bool Active() const { return m_ok; }

private:
    rlimit m_previous{};
    void (*m_previousHandler)(int) = SIG_DFL;
    bool m_ok = false;
};

}  // namespace testsupport
