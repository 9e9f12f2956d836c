// The archive a document serializes through: one direction (loading or storing) over an open
// device. A short read or a failed write raises the archive's error, which ends Serialize with
// the failure path of the open or save flow.
#pragma once

#include <QIODevice>
#include <QString>
#include <cstdint>

namespace framework {

class CArchive {
public:
    enum Mode { load, store };

    CArchive(QIODevice* device, Mode mode) : m_device(device), m_mode(mode) {}

    [[nodiscard]] bool IsLoading() const { return m_mode == load; }
    [[nodiscard]] bool IsStoring() const { return m_mode == store; }
    // The device read or written, for a document that reads some of it later itself.
    [[nodiscard]] QIODevice* Device() const { return m_device; }
    // Length of the underlying file in bytes.
    [[nodiscard]] std::uint64_t GetLength() const;

    // Reads exactly size bytes; on a short read or an error the archive fails.
    void Read(void* dst, std::int64_t size);
    // Writes exactly size bytes; on an error the archive fails.
    void Write(const void* src, std::int64_t size);

    [[nodiscard]] bool Failed() const { return m_failed; }
    [[nodiscard]] QString ErrorText() const { return m_error; }
    // Marks the archive failed (for example when memory for the next record can't be had).
    // An empty text lets the flow report its own standard message. Once failed, the archive
    // keeps its first error and reads and writes nothing more.
    void Fail(const QString& text = QString());

private:
    QIODevice* m_device;
    Mode m_mode;
    bool m_failed = false;
    QString m_error;
};

}  // namespace framework
