// The image document: the ordered disks of one Tarrow image and the ".trw" file that holds
// them, record after record with nothing before, between or after.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "disk/mdos_disk.h"
#include "framework/document.h"

class CImageSource;

class CBrindleDoc : public framework::CDocument {
    Q_OBJECT
public:
    // The comment of every disk the document makes, NUL-padded to 475 bytes.
    static constexpr char kCreatorText[] = "Created by Brindle";
    static constexpr char kNoTemplateMessage[] =
        "There are no boot template defined.\nBrindle will make empty boot disk.\n"
        "Go to <Image/Boot template> menu and set template files.";
    static constexpr char kListTemplateMessage[] =
        "Creating bootfisk from list of binary files is unsupported yet.\n"
        "Brindle will make empty boot disk.\nGo to <Image/Boot template> menu and set template "
        "files.";
    static constexpr char kNoMemoryMessage[] = "Not enough memory for another disk.";
    static constexpr char kDropTailQuestion[] =
        "Saving will drop the last %1 bytes of %2, which are not a whole disk record. Save "
        "anyway?";

    explicit CBrindleDoc(QObject* parent = nullptr);
    ~CBrindleDoc() override;

    // Empties the image and makes its boot disk from the boot settings.
    bool OnNewDocument() override;
    bool OnOpenDocument(const QString& path) override;
    void Serialize(framework::CArchive& ar) override;

    // Appends count disks copied from a single-disk file, each with its own name and comment.
    virtual void AddDisksFromFile(int count, const QString& path);
    // Appends count newly formatted disks.
    virtual void AddFormattedDisks(int count, int tracks, int sectorsPerTrack, const QString& name);
    // Deletes the disk at index (0 .. count - 1) and closes the gap; any other index does
    // nothing.
    virtual void RemoveDisk(int index);
    // Deletes every disk, reporting the run as "Dropping disks ...".
    virtual void DropAllDisks();

    // The disks the front ends make, alike in the window and on the command line.
    // Appends count standard disks (94 x 9, volume "empty_disk"), as "Add New" makes them.
    void AddStandardDisks(int count);
    // Appends count tape disks: each formatted as MakeTapeDisk does, then given the TAP file's
    // blocks as files.
    void AddTapeDisks(int count, const QString& tapPath);
    // The same with another way of reading the tape into each new disk.
    void AddTapeDisks(int count, const std::function<void(CMdosDisk&)>& import);
    // Appends count standard disks whose sectors are then replaced by a D80 raw image.
    void AddD80Disks(int count, const QString& d80Path);
    // Formats the disk as a tape disk (94 x 9, volume "tapeimport") and imports the TAP file.
    // The format comes first: a tape that can't be read leaves an empty disk.
    static void MakeTapeDisk(CMdosDisk& target, const QString& tapPath);

    // Reads the record headers of the disks from first on that don't have theirs yet, all under
    // one lock: what a view that labels every disk asks for anyway.
    void ReadHeaders(std::size_t first);

    // Opening a file reads each disk's record when it is first needed instead of all of them at
    // once (the window and the command line do; off in a new document). Merge mode, and a
    // stream that isn't a file, read every record at once all the same.
    void SetDeferredReading(bool deferred) { m_deferredReading = deferred; }

    // The disks in file order; views borrow the pointers.
    std::vector<std::unique_ptr<CMdosDisk>> m_disks;
    // Opening appends to the disks in memory instead of replacing them.
    bool m_bMergeMode = false;

protected:
    // A new zero-filled disk, or null when its memory can't be had. Tests override it to make
    // an allocation fail.
    virtual std::unique_ptr<CMdosDisk> NewDisk();
    // Over the file it was read from, the image writes only what changed.
    std::optional<QString> SaveInPlace(const QString& path) override;
    // The disks not read yet read from the new file from now on.
    void OnFileWritten(const QString& path) override;
    // Outside merge mode an empty file empties the image, like any file shorter than a record.
    void OnOpenEmptyFile() override;
    // Any file opens, and only whole records are read from it: saving over the opened file
    // would drop the bytes after its last whole record, so the user is asked first.
    bool ConfirmSave(const QString& path, const platform::FileIdentity& existing,
                     bool ownFile) override;

private:
    void ReadImage(framework::CArchive& ar);
    // A disk of an opened image file that reads its record when first needed; null when its
    // memory can't be had.
    static std::unique_ptr<CMdosDisk> NewDeferredDisk(const std::shared_ptr<CImageSource>& source,
                                                      std::int64_t index);
    // Makes a disk for each record of the opened file, which reads its record when needed.
    // False when the archive is no file that can be read again.
    bool ReadImageDeferred(framework::CArchive& ar);
    void WriteImage(framework::CArchive& ar);
    // Appends the disk; false (the disk freed) when the array can't grow.
    bool AppendDisk(std::unique_ptr<CMdosDisk>& disk);
    // One "Adding disks ..." run: count new disks, each filled by fill before it is appended;
    // stops with a message when memory for another disk can't be had.
    void AddDisks(int count, const std::function<void(CMdosDisk&)>& fill);

    // The file the disks not read yet come from, and the path it is being opened under.
    std::shared_ptr<CImageSource> m_source;
    QString m_openingPath;
    bool m_deferredReading = false;

    void OnMergeMode();
    void OnUpdateMergeMode(framework::CCmdUI* pCmdUI);
};
