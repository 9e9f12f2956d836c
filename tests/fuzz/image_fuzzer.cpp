// An image file from outside read by the document, with merge mode on and off; saved again and
// read back it gives the same disks. The input describes the file instead of being it, which
// keeps inputs small while the file holds whole records that are sound volumes or close to it:
//   byte 0     bit 0 merge mode, bit 1 a disk already open, bits 2-3 whole records (0-3)
//   byte 1     the record each one starts from (record_input.h), two bits each from bit 0
//   bytes 2-3  zero bytes after the last whole record (little-endian)
//   the rest   patches into the records' headers, boot sectors, FATs and directories
#include <QFile>
#include <QString>
#include <algorithm>
#include <cstring>
#include <memory>

#include "disk/le_bytes.h"
#include "fuzz_support.h"
#include "image/brindle_doc.h"

namespace {

constexpr std::size_t kRecord = CMdosDisk::kRecordSize;
constexpr std::size_t kOptionBytes = 4;
constexpr std::size_t kMostRecords = 3;

QString ScratchPath(const char* name) {
    return QFile::decodeName(fuzzsupport::Scratch().Path(name).c_str());
}

bool SameRecord(const CMdosDisk& disk, const unsigned char* bytes) {
    return std::memcmp(disk.Record(), bytes, kRecord) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < kOptionBytes) {
        return 0;
    }
    fuzzsupport::QuietMessages messages;
    const bool merge = (data[0] & 1) != 0;
    const bool diskOpen = (data[0] & 2) != 0;
    const std::size_t records = data[0] >> 2 & 3;
    const std::size_t tail = disk::ReadLe16(data + 2);
    // Kept between runs: a new buffer of three records for every input would be mapped afresh.
    static fuzzsupport::Bytes file;
    file.assign(records * kRecord + tail, 0);
    unsigned char* starts[kMostRecords] = {};
    for (std::size_t i = 0; i < records; ++i) {
        starts[i] = file.data() + i * kRecord;
        std::memcpy(starts[i], fuzzrecord::BaseRecord(data[1] >> 2 * i), kRecord);
    }
    if (records > 0) {
        fuzzrecord::ApplyPatches(data + kOptionBytes, size - kOptionBytes, starts, records);
    }
    const QString path = ScratchPath("in.trw");
    fuzzsupport::WriteHostFile(path.toStdString(), file.data(), file.size());

    CBrindleDoc doc;
    static fuzzsupport::Bytes open;
    if (diskOpen) {
        static fuzzsupport::ReusedDisk formatted(80, "open");
        auto disk = std::make_unique<CMdosDisk>();
        std::memcpy(disk->Record(), formatted.Fresh().Record(), kRecord);
        open.assign(disk->Record(), disk->Record() + kRecord);
        doc.m_disks.push_back(std::move(disk));
    }
    doc.m_bMergeMode = merge;
    FUZZ_EXPECT(doc.OpenDocumentFile(path));
    FUZZ_EXPECT(!doc.IsModified());

    // In merge mode the open disk stays in front; the file's whole records follow.
    const std::size_t kept = merge && diskOpen ? 1 : 0;
    FUZZ_EXPECT(doc.m_disks.size() == kept + records);
    if (kept == 1) {
        FUZZ_EXPECT(SameRecord(*doc.m_disks[0], open.data()));
    }
    for (std::size_t i = 0; i < records; ++i) {
        FUZZ_EXPECT(SameRecord(*doc.m_disks[kept + i], file.data() + i * kRecord));
    }

    const QString saved = ScratchPath("saved.trw");
    FUZZ_EXPECT(doc.DoSave(saved));
    FUZZ_EXPECT(static_cast<std::size_t>(QFile(saved).size()) == doc.m_disks.size() * kRecord);
    CBrindleDoc back;
    FUZZ_EXPECT(back.OpenDocumentFile(saved));
    FUZZ_EXPECT(back.m_disks.size() == doc.m_disks.size());
    for (std::size_t i = 0; i < back.m_disks.size(); ++i) {
        FUZZ_EXPECT(SameRecord(*back.m_disks[i], doc.m_disks[i]->Record()));
    }
    return 0;
}
