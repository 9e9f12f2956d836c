// How commands reach an image. Reading commands seek to the records they need (ImageReader);
// changing commands load the image into the document, change it through the engine and save
// it atomically, or not at all (ImageEditor). Both resolve DISK and FILE arguments the same way.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <vector>

#include "disk/mdos_disk.h"
#include "image/brindle_doc.h"
#include "image/image_file.h"

namespace cli {

struct Invocation;

// disk::DiskLabel, the disk's name as the window shows it, as bytes.
[[nodiscard]] QByteArray DiskLabel(const unsigned char* record);

// A directory entry's name without its padding.
[[nodiscard]] QByteArray EntryName(const unsigned char* entry);

// A used directory entry and the name ls gives it: its name without padding, or NAME.T (the
// type letter added) when another file of the disk has the same name. The slot is the entry's
// position in directory order (0 to 127).
struct DiskFile {
    unsigned char* entry;
    QByteArray name;
    QByteArray label;
    int slot;
};
// The disk's files in directory order.
[[nodiscard]] std::vector<DiskFile> ListFiles(CMdosDisk& disk);
// The entries that the FILE arguments name, each once, in argument order. A FILE is a name as
// ls prints it, NAME.T, #N for the file in slot N (for names no other form tells apart), or a
// shell pattern (*, ?, [...]) matched against the names ls prints, a leading dot only by a dot,
// which names every file it matches. Reports the first argument that matches no file (or, but
// for a pattern, more than one) and returns kExitFailed; else kExitDone.
int FindFiles(CMdosDisk& disk, const QStringList& names, std::vector<unsigned char*>* entries);
// The used entries other than except with this name (without padding) and type letter.
[[nodiscard]] std::vector<unsigned char*> FilesNamed(CMdosDisk& disk, const QByteArray& name,
                                                     unsigned char type,
                                                     const unsigned char* except = nullptr);

// DISK is a 0-based index when it is all digits, else a label (the first disk that has it).
// labelOf(i) gives the label of disk i. Reports and returns -1 when nothing matches.
int ResolveDisk(const QString& text, std::int64_t count,
                const std::function<QByteArray(std::int64_t)>& labelOf);

// An integer option or argument within [min, max]; reports a usage error when it isn't.
bool ParseNumber(const QString& what, const QString& text, int min, int max, int* value);

class ImageReader {
public:
    // Opens IMAGE (argument 0), waiting as long as --wait says while another program changes
    // it. kExitDone, kExitFailed (reported) when the wait ran out, or kExitUsage (reported) when
    // the image can't be read.
    int Open(const Invocation& run);
    [[nodiscard]] std::int64_t Count() const { return m_file.RecordCount(); }
    [[nodiscard]] const QString& Path() const { return m_path; }
    // Resolves DISK and reads the first size bytes of its record into disk (a new disk is
    // zero-filled, so the rest reads as zero); kExitDone or the reported failure's code.
    int Load(const QString& diskArgument, CMdosDisk& disk, std::int64_t* index,
             int size = CMdosDisk::kRecordSize);
    // Reads the first size bytes of record index; a short read is an image that can't be read.
    int Read(std::int64_t index, CMdosDisk& disk, int size = CMdosDisk::kRecordSize);

private:
    CImageFile m_file;
    QString m_path;
};

class ImageEditor {
public:
    // Takes the image's lock, waiting up to waitMs for another writer, and loads the whole
    // image into the document; the lock is held until the editor goes. kExitDone, kExitFailed
    // (reported) when the wait ran out, or kExitUsage (reported) when the image can't be read.
    int Open(const QString& path, int waitMs);
    // Starts a new image at path instead (for create): an existing file is locked for the time
    // of the change, as Open does. kExitDone or the reported failure's code.
    int StartNew(const QString& path, int waitMs);
    [[nodiscard]] CBrindleDoc& Doc() { return m_doc; }
    // Resolves DISK among the document's disks; reports and returns -1 when nothing matches.
    int FindDisk(const QString& diskArgument);
    [[nodiscard]] CMdosDisk& Disk(int index) { return *m_doc.m_disks[index]; }
    // Saves atomically unless the engine stopped or a question was declined; the exit code.
    int Save(Invocation& run);

private:
    CBrindleDoc m_doc;
    QString m_path;
};

}  // namespace cli
