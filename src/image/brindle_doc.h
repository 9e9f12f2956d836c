// The image document: the ordered disks of one Tarrow image and the ".trw" file that holds
// them, record after record with nothing before, between or after.
#pragma once

#include <QString>
#include <memory>
#include <vector>

#include "disk/mdos_disk.h"
#include "framework/document.h"

class CBrindleDoc : public framework::CDocument {
    Q_OBJECT
public:
    explicit CBrindleDoc(QObject* parent = nullptr);
    ~CBrindleDoc() override;

    // Empties the image and makes its boot disk from the boot settings.
    bool OnNewDocument() override;
    void Serialize(framework::CArchive& ar) override;

    // Appends count disks copied from a single-disk file, each with its own name and comment.
    virtual void AddDisksFromFile(int count, const QString& path);
    // Appends count newly formatted disks.
    virtual void AddFormattedDisks(int count, int tracks, int sectorsPerTrack, const QString& name);
    // Deletes the disk at index (0 .. count - 1) and closes the gap.
    virtual void RemoveDisk(int index);
    // Deletes every disk, reporting the run as "Dropping disks ...".
    virtual void DropAllDisks();

    // The disks in file order; views borrow the pointers.
    std::vector<std::unique_ptr<CMdosDisk>> m_disks;
    // Opening appends to the disks in memory instead of replacing them.
    bool m_bMergeMode = false;

private:
    void OnMergeMode();
    void OnUpdateMergeMode(framework::CCmdUI* pCmdUI);
};
