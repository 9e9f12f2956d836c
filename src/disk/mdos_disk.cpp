#include "disk/mdos_disk.h"

CMdosDisk::CMdosDisk() : m_record{} {}

CMdosDisk::~CMdosDisk() = default;
