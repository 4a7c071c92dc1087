// Connects the online services to the parts of the program that call them
// without depending on this library: the sky data's request for a data
// file download, and the click report its layout reader sends after each
// download attempt. The program calls this once at start, before the
// first load.
#pragma once

namespace skyvane::online {

void InstallOnlineHooks();

}  // namespace skyvane::online
