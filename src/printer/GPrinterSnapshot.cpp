#include "printer/GPrinterSnapshot.h"

#include "printer/GOSFactory.h"
#include "printer/PrinterRecordScope.h"

GSourceStamp GPrinterSnapshot::PrinterData(GDriverObject& driver)
{
    GOSFactory* services = GOSFactory::Instance();
    return GSourceStamp::OfVersion(services ? services->PrinterDataVersion(&driver) : 0);
}

GSourceStamp GPrinterSnapshot::DataFile(GDriverObject& driver)
{
    GOSFactory* services = GOSFactory::Instance();
    if (!services)
        return GSourceStamp();
    RWWString path;
    services->GetDriverDataFile(path, &driver);
    return File(path);
}

GSourceStamp GPrinterSnapshot::Forms()
{
    const std::wstring name = L"forms";
    GSourceStamp stamp;
    if (PrinterRecordScope::FindStamp(name, stamp))
        return stamp;
    GOSFactory* services = GOSFactory::Instance();
    stamp = GSourceStamp::OfVersion(services ? services->FormsVersion() : 0);
    PrinterRecordScope::KeepStamp(name, stamp);
    return stamp;
}

GSourceStamp GPrinterSnapshot::File(const RWWString& path)
{
    return path.IsNull() ? GSourceStamp() : File(std::wstring(path.Data(), path.Length()));
}

GSourceStamp GPrinterSnapshot::File(const std::wstring& path)
{
    if (path.empty())
        return GSourceStamp();
    const std::wstring name = L"file:" + path;
    GSourceStamp stamp;
    if (PrinterRecordScope::FindStamp(name, stamp))
        return stamp;
    stamp = GSourceStamp::OfFile(path);
    PrinterRecordScope::KeepStamp(name, stamp);
    return stamp;
}
