// The volume name and geometry that both the format and the add-disks dialogs ask for, with
// the limits a volume can take: a 10-character name, 1 to 94 tracks, 1 to 10 sectors a track.
#pragma once

#include <QString>

class QLineEdit;

namespace framework {
class CDataExchange;
}

namespace dialogs {

struct VolumeFieldEdits {
    QLineEdit* name;
    QLineEdit* tracks;
    QLineEdit* sectors;
};

// Exchanges and checks the three fields in the order name, tracks, sectors.
void ExchangeVolumeFields(framework::CDataExchange& dx, const VolumeFieldEdits& edits,
                          QString& name, int& tracks, int& sectors);

}  // namespace dialogs
