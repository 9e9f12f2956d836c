#include "image/image_save.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <cstring>

#include "framework/progress.h"
#include "platform/host_file.h"
#include "platform/in_place_change.h"

namespace image {

namespace {

constexpr std::int64_t kRecord = CMdosDisk::kRecordSize;
constexpr int kHeader = CMdosDisk::kHeaderSize;

// What a save writes at one place of the file.
enum class Write { Nothing, Header, Record };

QString CannotSave(const QString& path, const QString& why) {
    return QStringLiteral("Cannot save \"%1\": %2.").arg(path, why);
}

QString Unreadable(int index) {
    return QStringLiteral(
               "disk %1 could not be read from the image it was opened from; open "
               "the image again")
        .arg(index);
}

// The file as it is now, read while planning: the comparisons decide what is written.
class Current {
public:
    explicit Current(const QByteArray& path)
        : m_fd(::open(path.constData(), O_RDONLY | O_CLOEXEC)) {}
    ~Current() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    Current(const Current&) = delete;
    Current& operator=(const Current&) = delete;

    [[nodiscard]] bool Open() const { return m_fd >= 0; }
    bool Read(std::int64_t offset, unsigned char* dst, std::int64_t size) const {
        return platform::ReadAt(m_fd, dst, size, offset);
    }

private:
    int m_fd;
};

// A disk not read yet whose record lies in the file being saved over.
bool Deferred(const CMdosDisk& disk, const std::shared_ptr<CImageSource>& source) {
    return !disk.IsLoaded() && source != nullptr && disk.Source() == source;
}

}  // namespace

bool CopyRecord(const CMdosDisk& disk, int index, unsigned char* dst, QString* error) {
    if (disk.LoadFailed()) {
        *error = Unreadable(index);
        return false;
    }
    if (disk.IsLoaded()) {
        std::memcpy(dst, disk.Record(), kRecord);
        return true;
    }
    if (disk.Source() == nullptr ||
        !disk.Source()->ReadRecord(disk.SourceIndex(), dst, CMdosDisk::kRecordSize)) {
        *error = Unreadable(index);
        return false;
    }
    std::memcpy(dst, disk.Header(), kHeader);
    return true;
}

std::optional<QString> SaveInPlace(std::vector<std::unique_ptr<CMdosDisk>>& disks,
                                   const std::shared_ptr<CImageSource>& imageSource,
                                   const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    struct stat status {};
    const Current current(name);
    if (::stat(name.constData(), &status) != 0 || !S_ISREG(status.st_mode) || !current.Open() ||
        ::access(name.constData(), W_OK) != 0) {
        return std::nullopt;  // the whole-file save says what is wrong, or replaces it
    }
    // Disks of another file (merged in, say) are read like any disk in memory.
    const std::shared_ptr<CImageSource> source =
        imageSource != nullptr &&
                imageSource->Identity().SameFile({static_cast<std::uint64_t>(status.st_dev),
                                                  static_cast<std::uint64_t>(status.st_ino), 0, 0})
            ? imageSource
            : nullptr;
    const std::int64_t count = static_cast<std::int64_t>(disks.size());
    const std::int64_t oldLength = status.st_size;
    const std::int64_t oldCount = oldLength / kRecord;

    // Plan: what each place gets. A disk not read yet that stays where it is costs nothing; one
    // in memory is compared with the file as it is now, so reading a disk costs a read at the
    // save, never a write.
    std::vector<Write> plan(static_cast<std::size_t>(count), Write::Nothing);
    std::vector<unsigned char> record(static_cast<std::size_t>(kRecord));
    std::int64_t records = std::max<std::int64_t>(0, oldCount - count);  // cut off the end
    for (std::int64_t i = 0; i < count; ++i) {
        const CMdosDisk& disk = *disks[static_cast<std::size_t>(i)];
        if (disk.LoadFailed()) {
            return CannotSave(path, Unreadable(static_cast<int>(i)));
        }
        Write& write = plan[static_cast<std::size_t>(i)];
        if (i >= oldCount || (Deferred(disk, source) && disk.SourceIndex() != i)) {
            write = Write::Record;
        } else if (Deferred(disk, source)) {
            write = disk.HeaderChanged() ? Write::Header : Write::Nothing;
        } else {
            const unsigned char* bytes = disk.Record();
            if (!current.Read(i * kRecord, record.data(), kRecord)) {
                return std::nullopt;
            }
            if (std::memcmp(record.data() + kHeader, bytes + kHeader, kRecord - kHeader) != 0) {
                write = Write::Record;
            } else if (std::memcmp(record.data(), bytes, kHeader) != 0) {
                write = Write::Header;
            }
        }
        records += write == Write::Record ? 1 : 0;
    }
    if (2 * records > std::max(count, oldCount)) {
        return std::nullopt;
    }

    std::vector<platform::FilePlace> places;
    for (std::int64_t i = 0; i < count; ++i) {
        const Write write = plan[static_cast<std::size_t>(i)];
        if (write != Write::Nothing) {
            places.push_back({i * kRecord, write == Write::Header ? kHeader : kRecord});
        }
    }
    const std::int64_t length = count * kRecord;
    if (oldLength > length) {
        places.push_back({length, oldLength - length});
    }
    platform::InPlaceChange change;
    std::string error;
    if (!change.Begin(name.toStdString(), static_cast<std::uint64_t>(status.st_dev),
                      static_cast<std::uint64_t>(status.st_ino), places, &error)) {
        return CannotSave(path, QString::fromLocal8Bit(error.c_str()));
    }
    framework::BeginProgress(QStringLiteral("Saving image ..."));
    bool written = true;
    for (std::int64_t i = 0; i < count && written; ++i) {
        const CMdosDisk& disk = *disks[static_cast<std::size_t>(i)];
        switch (plan[static_cast<std::size_t>(i)]) {
            case Write::Nothing:
                break;
            case Write::Header:
                written = change.Write(i * kRecord, disk.Header(), kHeader, &error);
                break;
            case Write::Record:
                if (Deferred(disk, source)) {
                    // A moved disk: its old place may have been written already.
                    if (!change.ReadOld(disk.SourceIndex() * kRecord, record.data(), kRecord)) {
                        error = Unreadable(static_cast<int>(i)).toStdString();
                        written = false;
                        break;
                    }
                    std::memcpy(record.data(), disk.Header(), kHeader);
                    written = change.Write(i * kRecord, record.data(), kRecord, &error);
                } else {
                    written = change.Write(i * kRecord, disk.Record(), kRecord, &error);
                }
                break;
        }
        framework::SetProgress(framework::ProgressStep(static_cast<std::uint64_t>(i),
                                                       static_cast<std::uint64_t>(count)));
    }
    written = written && change.Commit(length, &error);
    framework::EndProgress();
    if (!written) {
        return CannotSave(path, QString::fromLocal8Bit(error.c_str()));
    }
    for (std::int64_t i = 0; i < count; ++i) {
        CMdosDisk& disk = *disks[static_cast<std::size_t>(i)];
        if (Deferred(disk, source)) {
            disk.Rebind(source, i);
        }
    }
    if (source != nullptr) {
        source->Refresh();
    }
    return QString();
}

}  // namespace image
