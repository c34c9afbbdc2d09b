#include "entry/sheet/GCPSOSUI.h"

#include "foundation/RWLastingObject.h"
#include "model/GAttributeComposite.h"
#include "model/GFeatureIds.h"
#include "model/GObjectIterator.h"
#include "model/GStringAttribute.h"
#include "printer/GDriverObject.h"
#include "printer/GPlatformCalls.h"

#include <compstui.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <memory>
#include <new>
#include <utility>
#include <vector>

namespace {

// Set after the first page of a sheet initialised; cleared by every new glue object.
bool titleSuffixAdded = false;

typedef LONG_PTR(CALLBACK* ComPropSheetFn)(HANDLE, UINT, LPARAM, LPARAM);
typedef LONG(WINAPI* CommonPropertySheetUIFn)(HWND, void*, LPARAM, LPDWORD);

GObjectBase* LastTitleNode(GObjectBase* settings)
{
    GObjectBase* documents = GDriverObject::Feature<GAttributeComposite>(settings, FeatureId::kDocumentSettings);
    return documents ? GDriverObject::Feature<GStringAttribute>(documents, FeatureId::kLastPageTitle) : nullptr;
}

std::wstring ReadLastTitle(GObjectBase* settings)
{
    auto* title = static_cast<GStringAttribute*>(LastTitleNode(settings));
    if (!title || title->GetString().Length() == 0)
        return std::wstring();
    const RWCString& text = title->GetString();
    const int n = MultiByteToWideChar(CP_ACP, 0, text.Data(), int(text.Length()), nullptr, 0);
    std::wstring wide(size_t(n > 0 ? n : 0), L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_ACP, 0, text.Data(), int(text.Length()), &wide[0], n);
    return wide;
}

void StoreLastTitle(GObjectBase* settings, const wchar_t* title)
{
    const int n = WideCharToMultiByte(CP_ACP, 0, title, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return;
    std::vector<char> narrow(size_t(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, title, -1, narrow.data(), n, nullptr, nullptr);
    if (auto* node = static_cast<GStringAttribute*>(LastTitleNode(settings))) {
        node->SetString(narrow.data());
        return;
    }
    if (!settings)
        return;
    // A tree without the job settings node gets one, so that the title travels with it.
    GObjectBase* documents = GDriverObject::Feature<GAttributeComposite>(settings, FeatureId::kDocumentSettings);
    if (!documents) {
        documents = new GAttributeComposite(FeatureId::kDocumentSettings);
        settings->Add(documents);
    }
    documents->Add(new GStringAttribute(narrow.data(), FeatureId::kLastPageTitle));
}

// An entry no plug-in filled has neither a template nor an indirect dialog; the common
// controls refuse such pages, so they are not offered.
bool IsFilled(const QZPageEntry& entry) { return entry.pszTemplate != nullptr || entry.pResource != nullptr; }

PageLink* NewLink(GUIData* data) { return new PageLink{sizeof(PageLink), nullptr, nullptr, data, 0, 0, nullptr}; }

// The glue object that made each record the pages carry: the pages' hook reaches its
// owner through it. Sheets may run on several threads of one process.
// The list outlasts the static destructors and lets its block go once no sheet is open.
SRWLOCK g_ownersLock = SRWLOCK_INIT;
RWLastingObject<std::vector<std::pair<const GUIData*, GCPSOSUI*>>> g_owners;

std::vector<std::pair<const GUIData*, GCPSOSUI*>>& Owners() { return g_owners.Get(); }

void Forget(const GUIData* data, const GCPSOSUI* glue)
{
    GPlatformCalls::LockGuard hold(g_ownersLock, false);
    auto& owners = Owners();
    for (size_t i = owners.size(); i-- > 0;)
        if (owners[i].first == data || owners[i].second == glue)
            owners.erase(owners.begin() + long(i));
    if (owners.empty())
        owners.shrink_to_fit();
}

// Whether a page after the link's in the record was made: the sheet sends the apply to
// the pages it made in their order, so only the last of them ends a round of applies.
bool LaterPageMade(const GUIData* data, const PageLink* link)
{
    if (!data->pages || !link)
        return false;
    bool after = false;
    for (uint16_t i = 0; i < data->pageCount; ++i) {
        const auto* other = reinterpret_cast<const PageLink*>(data->pages[i].lParam);
        if (after && other && other->hwnd)
            return true;
        after = after || other == link;
    }
    return false;
}

}  // namespace

GCPSOSUI::GCPSOSUI() { titleSuffixAdded = false; }

GCPSOSUI::~GCPSOSUI()
{
    Forget(nullptr, this);
    ClearExtensions();
}

bool GCPSOSUI::TitleSuffixAdded() { return titleSuffixAdded; }

wchar_t* GCPSOSUI::CopyName(const wchar_t* name)
{
    if (!name)
        return nullptr;
    const size_t length = std::wcslen(name);
    auto* copy = static_cast<wchar_t*>(std::malloc(length * 2 + 2));
    if (copy)
        std::memcpy(copy, name, length * 2 + 2);
    return copy;
}

void GCPSOSUI::FreeGUIData(GUIData* data)
{
    if (!data)
        return;
    std::free(data->driverName);
    std::free(data->printerName);
    std::free(data->portName);
    delete data;
}

int16_t GCPSOSUI::AddPage(UIContextRecord* request, uint16_t mode)
{
    if (!request || request->size != sizeof(UIContextRecord))
        return 0;
    auto* data = new GUIData();
    data->size = sizeof(GUIData);
    data->driverUI = request->driverUI;
    data->settings = request->settings;
    data->printer = request->printer;
    data->moduleHandle = request->moduleHandle;
    data->pageSet = request->pageSet;
    data->modeFlags = request->modeFlags;
    data->hook = &GCPSOSUI::DlgProcHook;
    data->request = request;
    if (request->driverUI) {
        data->driverName = CopyName(request->driverUI->GetSecondName().Data());
        data->printerName = CopyName(request->driverUI->GetPrinterName().Data());
        data->portName = CopyName(request->driverUI->GetThirdName().Data());
    }
    request->guiData = data;
    {
        GPlatformCalls::LockGuard hold(g_ownersLock, false);
        Owners().emplace_back(data, this);
    }
    const int16_t n = mode == kModalMode ? CollectModalPage(data, mode) : CollectPages(data);
    if (n <= 0)
        return n;
    if (!request->pfnComPropSheet) {
        HMODULE compstui = LoadLibraryW(L"compstui.dll");
        auto run = compstui ? reinterpret_cast<CommonPropertySheetUIFn>(reinterpret_cast<void*>(
                                  GetProcAddress(compstui, "CommonPropertySheetUIW")))
                            : nullptr;
        DWORD result = 0;
        const LONG answer = run ? run(request->hWndOwner, request->pfnPropSheetUI, request->lParam, &result) : 0;
        if (compstui)
            FreeLibrary(compstui);
        return answer > 0 ? int16_t(result & 0xFFFF) : 0;
    }
    return AddPagesToSheet(request, data);
}

int16_t GCPSOSUI::AddPagesToSheet(UIContextRecord* request, GUIData* data)
{
    auto sheet = reinterpret_cast<ComPropSheetFn>(request->pfnComPropSheet);
    const std::wstring lastTitle = ReadLastTitle(request->settings);
    int16_t count = 0;
    for (uint16_t i = 0; i < data->pageCount; ++i) {
        QZPageEntry& entry = data->pages[i];
        if (!IsFilled(entry))
            continue;
        entry.dwFlags |= PSP_USECALLBACK;
        entry.pfnCallback = reinterpret_cast<LPFNPSPCALLBACKW>(&GCPSOSUI::PropPageCallback);
        const LONG_PTR handle =
            sheet(request->hComPropSheet, CPSFUNC_ADD_PROPSHEETPAGEW, reinterpret_cast<LPARAM>(&entry), 0);
        if (auto* link = reinterpret_cast<PageLink*>(entry.lParam))
            link->handle = reinterpret_cast<HPROPSHEETPAGE>(handle);
        const bool titled = (entry.dwFlags & PSP_USETITLE) || entry.pszTitle;
        if (titled && entry.pszTitle && !IS_INTRESOURCE(entry.pszTitle) && !lastTitle.empty() &&
            lastTitle == entry.pszTitle)
            sheet(request->hComPropSheet, CPSFUNC_SET_HSTARTPAGE, handle, 0);
        if (handle)
            ++count;
    }
    return int16_t(-count);
}

void GCPSOSUI::ModeChanged(UIContextRecord* request)
{
    GUIData* data = request ? request->guiData : nullptr;
    if (!data)
        return;
    data->modeFlags = request->modeFlags;
    for (uint16_t i = 0; data->pages && i < data->pageCount; ++i) {
        const auto* link = reinterpret_cast<const PageLink*>(data->pages[i].lParam);
        if (link && link->hwnd && IsWindow(link->hwnd))
            SendMessageW(link->hwnd, kModeFlagsChangedMessage, WPARAM(data->modeFlags), 0);
    }
}

int16_t GCPSOSUI::FreePage(UIContextRecord* request)
{
    if (!request)
        return 0;
    Forget(request->guiData, nullptr);
    ReleasePages(request->guiData);
    FreeGUIData(request->guiData);
    request->guiData = nullptr;
    return 0;
}

void GCPSOSUI::ClearExtensions()
{
    if (plugIns_)
        DeletePlugIns();
}

void GCPSOSUI::DeletePlugIns()
{
    for (uint32_t i = 0; i < count_; ++i)
        delete plugIns_[i];
    delete[] plugIns_;
    plugIns_ = nullptr;
    count_ = 0;
}

uint32_t GCPSOSUI::LoadPlugIns(GUIData* data)
{
    DeletePlugIns();
    GObjectBase* list = data ? GDriverObject::Feature<GAttributeComposite>(data->settings, FeatureId::kUIPlugInNames)
                             : nullptr;
    const uint32_t entries = list ? list->Entries() : 0;
    if (!entries)
        return 0;
    plugIns_ = new GUIPlugIn*[entries];
    std::unique_ptr<GObjectIterator> it(list->CreateIterator());
    while (it && it->Next() && count_ < entries) {
        auto* name = dynamic_cast<GStringAttribute*>(it->Current());
        if (!name)
            continue;
        const RWWString wide(name->GetString());
        auto* plugIn = new GUIPlugIn(wide.Data());
        if (plugIn->IsLoaded())
            plugIns_[count_++] = plugIn;
        else
            delete plugIn;
    }
    if (!count_) {
        delete[] plugIns_;
        plugIns_ = nullptr;
    }
    return count_;
}

int16_t GCPSOSUI::CollectPages(GUIData* data)
{
    if (!count_)
        LoadPlugIns(data);
    int16_t total = 0;
    for (uint32_t i = 0; i < count_; ++i)
        total = int16_t(total + plugIns_[i]->Initialize(data, 0));
    if (total <= 0)
        return 0;
    data->pageCount = uint16_t(total);
    data->pages = new QZPageEntry[size_t(total)]();
    for (int16_t i = 0; i < total; ++i) {
        data->pages[i].dwSize = sizeof(QZPageEntry);
        data->pages[i].lParam = reinterpret_cast<LPARAM>(NewLink(data));
    }
    int next = 0;
    for (uint32_t i = 0; i < count_; ++i) {
        // A plug-in that has no entry left to start at is not asked to fill one.
        if (next >= total)
            break;
        const int16_t r = plugIns_[i]->Initialize(data, uint16_t(next));
        if (r <= 0)
            continue;
        if (next + r > total)
            plugIns_[i]->Destroy(data);
        else
            next += r;
    }
    return int16_t(next);
}

int16_t GCPSOSUI::CollectModalPage(GUIData* data, uint16_t mode)
{
    if (!count_)
        LoadPlugIns(data);
    data->pageCount = 1;
    data->pages = new QZPageEntry[1]();
    data->pages[0].dwSize = sizeof(QZPageEntry);
    data->pages[0].lParam = reinterpret_cast<LPARAM>(NewLink(data));
    if (count_)
        plugIns_[0]->Initialize(data, mode);
    return 1;
}

void GCPSOSUI::ReleasePages(GUIData* data)
{
    if (!data)
        return;
    // Titles are ours only where our own page builders made the page: they allocate
    // those, other plug-ins keep their own. Those entries are known by the page object
    // their link holds until the plug-ins' destroy deletes it.
    std::vector<bool> ours(data->pages ? data->pageCount : 0, false);
    for (size_t i = 0; i < ours.size(); ++i) {
        const auto* link = reinterpret_cast<const PageLink*>(data->pages[i].lParam);
        ours[i] = link && link->page;
    }
    for (uint32_t i = 0; i < count_; ++i)
        plugIns_[i]->Destroy(data);
    if (data->pages) {
        for (uint16_t i = 0; i < data->pageCount; ++i) {
            QZPageEntry& entry = data->pages[i];
            if (ours[i] && entry.pszTitle && !IS_INTRESOURCE(entry.pszTitle))
                std::free(const_cast<wchar_t*>(entry.pszTitle));
            entry.pszTitle = nullptr;
            delete reinterpret_cast<PageLink*>(entry.lParam);
            entry.lParam = 0;
        }
        delete[] data->pages;
        data->pages = nullptr;
    }
    data->pageCount = 0;
    DeletePlugIns();
}

int16_t GCPSOSUI::ConfigToSettings(GUIData* data)
{
    if (!count_)
        LoadPlugIns(data);
    int16_t result = 0;
    for (uint32_t i = 0; i < count_; ++i)
        if (const int16_t r = plugIns_[i]->ConfigToSettings(data))
            result = r;
    return result;
}

UINT WINAPI GCPSOSUI::PropPageCallback(HWND, UINT message, QZPageEntry* page)
{
    auto* link = page ? reinterpret_cast<PageLink*>(page->lParam) : nullptr;
    if (!link || !link->guiData)
        return message == PSPCB_CREATE ? 1 : 0;
    GUIData* data = link->guiData;
    switch (message) {
    case PSPCB_CREATE:
        link->created = 1;
        return 1;
    case PSPCB_RELEASE:
        if (data->request && data->request->settings != data->settings)
            data->request->settings = data->settings;
        link->released = 1;
        return 0;
    default:
        return 0;
    }
}

bool GCPSOSUI::OnApply(const PageLink* link, GUIData* data)
{
    UIContextRecord* const request = data->request;
    request->applied = 1;
    if (LaterPageMade(data, link))
        return true;
    GCPSOSUI* glue = nullptr;
    {
        GPlatformCalls::LockGuard hold(g_ownersLock, false);
        for (const auto& owner : Owners())
            if (owner.first == data)
                glue = owner.second;
    }
    if (glue)
        glue->keepOpen_ = false;
    // The host delivers the result to the sheet's callbacks and counts those it reached.
    LONG_PTR reached = 0;
    if (auto sheet = reinterpret_cast<ComPropSheetFn>(request->pfnComPropSheet))
        reached = sheet(request->hComPropSheet, CPSFUNC_SET_RESULT,
                        reinterpret_cast<LPARAM>(link ? link->handle : nullptr), CPSUI_OK);
    if (reached <= 0 && glue && glue->unreportedApply_)
        glue->unreportedApply_();
    return !(glue && glue->keepOpen_);
}

uint16_t WINAPI GCPSOSUI::DlgProcHook(HWND window, UINT message, WPARAM, LPARAM lParam, GUIData* data)
{
    // Messages before WM_INITDIALOG (WM_SETFONT) come before the page procedure stored
    // the entry: nothing to look at yet.
    auto* page = reinterpret_cast<QZPageEntry*>(GetWindowLongPtrW(window, DWLP_USER));
    auto* link = page ? reinterpret_cast<PageLink*>(page->lParam) : nullptr;
    if (message == WM_NOTIFY && lParam && data) {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->code == UINT(PSN_APPLY) && data->request) {
            if (!OnApply(link, data)) {
                SetWindowLongPtrW(window, DWLP_MSGRESULT, PSNRET_INVALID_NOCHANGEPAGE);
                return 1;
            }
        } else if (header->code == UINT(PSN_KILLACTIVE) && page && page->pszTitle && !IS_INTRESOURCE(page->pszTitle)) {
            StoreLastTitle(data->settings, page->pszTitle);
        }
    } else if (message == WM_INITDIALOG) {
        if (!titleSuffixAdded && data && data->driverUI) {
            const RWWString path = data->driverUI->GetResourceLibraryPath();
            // Only a string is read: the library is loaded as data.
            HMODULE library = path.Length() ? LoadLibraryExW(path.Data(), nullptr, LOAD_LIBRARY_AS_DATAFILE) : nullptr;
            if (library) {
                // 80 characters of suffix, " - ", 80 of title and the terminating zero.
                wchar_t suffix[81] = {};
                if (LoadStringW(library, kTitleSuffixString, suffix, 81) > 0 && suffix[0]) {
                    wchar_t title[80 + 3 + 80 + 1] = {};
                    HWND parent = GetParent(window);
                    GetWindowTextW(parent, title, 81);
                    std::wcscat(title, L" - ");
                    std::wcscat(title, suffix);
                    SetWindowTextW(parent, title);
                }
                FreeLibrary(library);
            }
        }
        titleSuffixAdded = true;
        if (link)
            link->hwnd = window;
    }
    return 0;
}
