// The record every tree item and list row carries: which disk, what kind of item, and for
// files and sector rows where inside the disk.
#pragma once

class CMdosDisk;

enum ItemKind : int {
    KindFiles = 0,         // a disk item in the tree, a file row in the list
    KindRecordHeader = 1,  // the "Tarrow tags" item
    KindProperties = 2,    // the "MDOS disk" item; the volume-name row in the list
    KindSector = 3,        // a sector item in the tree, a dump row in the list
};

struct ItemInfo {
    int diskIndex = 0;                  // position of the disk in the document's m_disks
    int kind = KindFiles;               // an ItemKind
    CMdosDisk* disk = nullptr;          // borrowed from the document
    unsigned char* dirEntry = nullptr;  // file rows only: the entry inside the disk's sectors
    int sector = 0;                     // KindSector: logical sector 0..1691
    int offset = 0;                     // dump rows: first byte offset of the row, 0..504
};
