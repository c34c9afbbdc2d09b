// The job-storage notice as the user sees it: the timed dialog "Job Storage
// Identification" with the user, the job's name and where the job is kept. The driver
// UI object's notice thread shows it through the shower registered here, so that the
// entry layer needs no dialog of its own.
#pragma once

#include "entry/driverui/GDriverUIDocumentEvents.h"

#include <cstdint>

class GJobNoticeDialog {
public:
    // The notice closes itself after this many seconds.
    static constexpr uint32_t kTimeoutSeconds = 10;

    // Shows the notice from the notice's resource library on the calling thread and
    // returns when it closed: 1 when shown, with the check box's answer; 0 when the
    // library or the dialog could not be had.
    static int Show(const GDriverUIDocumentEvents::JobNotice& notice, bool& dontShowAgain);
    // The text under "This print job will be stored at:": the printer, and its
    // location on a line of its own when it has one.
    static RWWString StoredAt(const GDriverUIDocumentEvents::JobNotice& notice);
};
