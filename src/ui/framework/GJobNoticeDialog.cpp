#include "ui/framework/GJobNoticeDialog.h"

#include "ui/framework/GTimedDialog.h"

namespace {
// The driver UI object shows its notices through this dialog from the start.
const bool kShowerRegistered = (GDriverUIDocumentEvents::SetJobNoticeShower(&GJobNoticeDialog::Show), true);
} // namespace

RWWString GJobNoticeDialog::StoredAt(const GDriverUIDocumentEvents::JobNotice& notice)
{
    RWWString text = notice.printerName;
    if (notice.location.Length()) {
        text += L"\r\n";
        text += notice.location;
    }
    return text;
}

int GJobNoticeDialog::Show(const GDriverUIDocumentEvents::JobNotice& notice, bool& dontShowAgain)
{
    dontShowAgain = false;
    // A library of this thread's own: the user interface's counted one belongs to the
    // sheet's thread. Only its dialog and strings are read: it is loaded as data.
    HMODULE library = notice.resourceLibrary.Length()
                          ? LoadLibraryExW(notice.resourceLibrary.Data(), nullptr, LOAD_LIBRARY_AS_DATAFILE)
                          : nullptr;
    if (!library)
        return 0;
    GTimedDialog dialog(GTimedDialog::kJobStorageNotice, kTimeoutSeconds);
    dialog.SetLibrary(library);
    dialog.SetItemText(GTimedDialog::kUserNameItem, notice.userName);
    dialog.SetItemText(GTimedDialog::kJobNameItem, notice.jobName);
    dialog.SetItemText(GTimedDialog::kStoredAtItem, StoredAt(notice));
    const INT_PTR result = dialog.Run();
    FreeLibrary(library);
    if (result == -1)
        return 0;
    dontShowAgain = dialog.DontShowAgain();
    return 1;
}
