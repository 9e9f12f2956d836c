#include "dialogs/volume_fields.h"

#include "disk/mdos_disk.h"
#include "disk/mdos_format.h"
#include "framework/widgets/ddx.h"

namespace dialogs {

void ExchangeVolumeFields(framework::CDataExchange& dx, const VolumeFieldEdits& edits,
                          QString& name, int& tracks, int& sectors) {
    framework::DDX_Text(dx, edits.name, name);
    framework::DDV_MaxChars(dx, edits.name, name, CMdosDisk::kVolumeNameSize);
    framework::DDX_Text(dx, edits.tracks, tracks);
    framework::DDV_MinMaxInt(dx, edits.tracks, tracks, disk::kMinTracks, disk::kMaxTracks);
    framework::DDX_Text(dx, edits.sectors, sectors);
    framework::DDV_MinMaxInt(dx, edits.sectors, sectors, disk::kMinSectorsPerTrack,
                             disk::kMaxSectorsPerTrack);
}

}  // namespace dialogs
