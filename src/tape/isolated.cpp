#include "tape/isolated.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>

namespace tape {

namespace {

// The outcome's layout, every number 32 bits little-endian:
//   read (0 or 1), plain TAP (0 or 1), error, format, block count, then per block: kind, from
//   pulses (0 or 1), checksum sound (0 or 1), bytes; each string or byte run as its length and its
//   bytes.
void PutNumber(std::string* out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out->push_back(static_cast<char>((value >> shift) & 0xFF));
    }
}

void PutText(std::string* out, const std::string& text) {
    PutNumber(out, static_cast<std::uint32_t>(text.size()));
    out->append(text);
}

class Reader {
public:
    explicit Reader(const std::string& bytes) : m_bytes(bytes) {}

    bool Number(std::uint32_t* value) {
        if (m_bytes.size() - m_at < 4) {
            return false;
        }
        *value = 0;
        for (int i = 3; i >= 0; --i) {
            *value = *value << 8 |
                     static_cast<unsigned char>(m_bytes[m_at + static_cast<std::size_t>(i)]);
        }
        m_at += 4;
        return true;
    }

    bool Text(std::string* text) {
        std::uint32_t size = 0;
        if (!Number(&size) || m_bytes.size() - m_at < size) {
            return false;
        }
        text->assign(m_bytes, m_at, size);
        m_at += size;
        return true;
    }

    [[nodiscard]] bool AtEnd() const { return m_at == m_bytes.size(); }

private:
    const std::string& m_bytes;
    std::size_t m_at = 0;
};

void WriteAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t wrote = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (wrote < 0 && errno == EINTR) {
            continue;
        }
        if (wrote <= 0) {
            return;
        }
        done += static_cast<std::size_t>(wrote);
    }
}

// Reads the child's answer until it closes the pipe or the deadline passes.
bool ReadUntilClosed(int fd, std::chrono::steady_clock::time_point deadline, std::string* out) {
    char buffer[64 * 1024];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return false;
        }
        pollfd waiting{fd, POLLIN, 0};
        const int ready = ::poll(&waiting, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready == 0) {
            return false;
        }
        if (ready < 0) {
            return true;
        }
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return true;
        }
        out->append(buffer, static_cast<std::size_t>(got));
    }
}

}  // namespace

bool RunIsolated(const std::function<std::string()>& work, int seconds, std::string* result,
                 std::string* error) {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        *error = std::string("no process to read it in: ") + std::strerror(errno);
        return false;
    }
    const pid_t child = ::fork();
    if (child < 0) {
        *error = std::string("no process to read it in: ") + std::strerror(errno);
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        return false;
    }
    if (child == 0) {
        ::close(pipeFds[0]);
        WriteAll(pipeFds[1], work());
        // Nothing of the program's own runs in the child after its work: no exit handlers,
        // no buffers of the parent's flushed twice.
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    result->clear();
    const bool finished = ReadUntilClosed(
        pipeFds[0], std::chrono::steady_clock::now() + std::chrono::seconds(seconds), result);
    ::close(pipeFds[0]);
    if (!finished) {
        ::kill(child, SIGKILL);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!finished) {
        *error = "reading it took longer than " + std::to_string(seconds) + " s";
        return false;
    }
    if (WIFSIGNALED(status)) {
        *error = std::string("the tape library stopped on it (") + ::strsignal(WTERMSIG(status)) +
                 "): it is damaged";
        return false;
    }
    // The child ends with status 0 after its work; anything else (a checked build reports a
    // fault and exits with its own status) is a fault too.
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        *error = "the tape library stopped on it (exit status " +
                 std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1) + "): it is damaged";
        return false;
    }
    return true;
}

std::string EncodeRead(bool read, const std::string& error, const Tape& tape) {
    std::string out;
    PutNumber(&out, read ? 1 : 0);
    PutNumber(&out, tape.plainTap ? 1 : 0);
    PutText(&out, error);
    PutText(&out, tape.format);
    PutNumber(&out, static_cast<std::uint32_t>(tape.blocks.size()));
    for (const Block& block : tape.blocks) {
        PutText(&out, block.kind);
        PutNumber(&out, block.fromPulses ? 1 : 0);
        PutNumber(&out, block.checksumSound ? 1 : 0);
        PutText(&out, std::string(block.bytes.begin(), block.bytes.end()));
    }
    return out;
}

bool DecodeRead(const std::string& bytes, bool* read, std::string* error, Tape* tape) {
    Reader in(bytes);
    std::uint32_t flag = 0;
    std::uint32_t plain = 0;
    std::uint32_t count = 0;
    *tape = Tape{};
    if (!in.Number(&flag) || !in.Number(&plain) || !in.Text(error) || !in.Text(&tape->format) ||
        !in.Number(&count)) {
        return false;
    }
    *read = flag != 0;
    tape->plainTap = plain != 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        Block block;
        std::uint32_t pulses = 0;
        std::uint32_t sound = 0;
        std::string data;
        if (!in.Text(&block.kind) || !in.Number(&pulses) || !in.Number(&sound) || !in.Text(&data)) {
            return false;
        }
        block.fromPulses = pulses != 0;
        block.checksumSound = sound != 0;
        block.bytes.assign(data.begin(), data.end());
        tape->blocks.push_back(std::move(block));
    }
    return in.AtEnd();
}

}  // namespace tape
