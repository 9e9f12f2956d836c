#include "dialogs/volume_fields.h"

#include "framework/widgets/ddx.h"

namespace dialogs {

namespace {
constexpr int kMaxNameChars = 10;
constexpr int kMaxTracks = 94;
constexpr int kMaxSectorsPerTrack = 10;
}  // namespace

void ExchangeVolumeFields(framework::CDataExchange& dx, const VolumeFieldEdits& edits,
                          QString& name, int& tracks, int& sectors) {
    framework::DDX_Text(dx, edits.name, name);
    framework::DDV_MaxChars(dx, edits.name, name, kMaxNameChars);
    framework::DDX_Text(dx, edits.tracks, tracks);
    framework::DDV_MinMaxInt(dx, edits.tracks, tracks, 1, kMaxTracks);
    framework::DDX_Text(dx, edits.sectors, sectors);
    framework::DDV_MinMaxInt(dx, edits.sectors, sectors, 1, kMaxSectorsPerTrack);
}

}  // namespace dialogs
