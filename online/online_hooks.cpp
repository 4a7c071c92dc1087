#include "online/online_hooks.h"

#include "online/click_report.h"
#include "online/data_file_update.h"
#include "skydata/sky_data.h"

namespace skyvane::online {

void InstallOnlineHooks()
{
    // A missing or unusable data file at start-up asks for a download.
    skydata::SetDataFileUpdateStarter(StartDataFileDownload);
    // Every download attempt ends with a click report.
    InstallClickReportHook();
}

}  // namespace skyvane::online
