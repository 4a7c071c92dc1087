#include "telescope/mount.h"

namespace skyvane::telescope {

QString MountStateName(MountState state)
{
    switch (state) {
    case MountState::kDisconnected: return "disconnected";
    case MountState::kConnecting: return "connecting";
    case MountState::kChoosing: return "choosing";
    case MountState::kStopped: return "stopped";
    case MountState::kTracking: return "tracking";
    case MountState::kSlewing: return "slewing";
    case MountState::kParking: return "parking";
    case MountState::kParked: return "parked";
    case MountState::kUnparking: return "unparking";
    }
    return "disconnected";
}

}  // namespace skyvane::telescope
