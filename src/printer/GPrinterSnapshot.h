// The sources of a printer as the current entry call sees them: the printer's data, the
// driver's data file the printer's driver names now, the spooler's forms, and any file
// the call reads from (the resource library). Each is asked once a call and answers the
// same for the rest of it, so that every kept thing is judged against one view of the
// printer; outside a call each use asks again, and the printer's data is never taken as
// unchanged.
#pragma once

#include "foundation/RWWString.h"
#include "printer/GSourceStamp.h"

#include <string>

class GDriverObject;

class GPrinterSnapshot {
public:
    // The printer's data: the version the system services give it in this call.
    static GSourceStamp PrinterData(GDriverObject& driver);
    // The data file the printer's driver names now; unknown when none is named or it is
    // not there.
    static GSourceStamp DataFile(GDriverObject& driver);
    // The spooler's forms: the version the system services give them in this call.
    static GSourceStamp Forms();
    // A file as it is now.
    static GSourceStamp File(const std::wstring& path);
    static GSourceStamp File(const RWWString& path);
};
