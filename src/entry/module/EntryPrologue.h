// The one prologue of the printer-driver entry points: mark activity for the
// keep-alive, refuse what the export's argument check refused, describe the printer as
// a PrinterIdentity, acquire its driver object from the module's driver server, run one
// operation of the driver user-interface object and give the object back. The last
// error the operation left is set again after the release, so that the server's and the
// identity's own calls cannot overwrite it.
#pragma once

#include "entry/module/GDriverUIOperations.h"
#include "printer/PrinterRecordScope.h"

#include <cstdint>

class EntryPrologue {
public:
    // The driver object of the printer (by handle and name as the export gives them),
    // with its release ticket; null when the module has no server or no object can be had.
    static GDriverUIOperations* Acquire(void* printer, const wchar_t* printerName, uint32_t& ticket);
    // Gives an acquisition back, keeping the caller's last error.
    static void Release(uint32_t ticket);
    static void MarkActivity();
    // The device property sheet's entry, which PrinterProperties hands the common
    // property sheet as its callback; registered by the exports, null without them.
    static void SetDeviceSheetCallback(QZPropSheetUIProc callback);
    static QZPropSheetUIProc DeviceSheetCallback();

    // refused: the export's argument check failed, return refusedValue at once, with
    // refusedError as the last error when it is not 0.
    template <class Result, class Operation>
    static Result Run(bool refused, Result refusedValue, void* printer, const wchar_t* printerName,
                      Result noObject, Operation operation, DWORD refusedError = 0)
    {
        MarkActivity();
        if (refused) {
            if (refusedError)
                SetLastError(refusedError);
            return refusedValue;
        }
        // The printer's record, read for the identity, serves the operation too.
        PrinterRecordScope records;
        uint32_t ticket = 0;
        // Finding the printer's identity calls the spooler; the caller's last error
        // stays what it was for the operations that set none.
        const DWORD callerError = GetLastError();
        GDriverUIOperations* ui = Acquire(printer, printerName, ticket);
        SetLastError(callerError);
        if (!ui)
            return noObject;
        const Result result = operation(*ui);
        Release(ticket);
        return result;
    }
};
