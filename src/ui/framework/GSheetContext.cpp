#include "ui/framework/GSheetContext.h"

#include "entry/sheet/GUIPlugIn.h"
#include "model/GObjectBase.h"
#include "printer/GOSFactory.h"

GSheetContext::GSheetContext(GUIData* data) : data_(data), settings_(data ? data->settings : nullptr)
{
    const std::wstring folder = GUIPlugIn::ModuleFolder();
    if (!folder.empty())
        helpFile_ = RWWString((folder + kHelpFileName).c_str());
    GOSFactory* services = GOSFactory::Instance();
    helpFound_ = services && helpFile_.Length() && services->FileExists(helpFile_);
    if (services && data && data->driverUI)
        quicksets_.reset(services->LoadObjectFromPrinterData(data->driverUI, L"DMCQuickset", 0));
}

GSheetContext::~GSheetContext() = default;

void GSheetContext::AddRule(GConflictRule* rule)
{
    if (rule)
        rules_.emplace_back(rule);
}

bool GSheetContext::IsRuleLocking(uint32_t key) const
{
    for (const auto& rule : rules_)
        if (rule->GetKey() == key && rule->IsLocking())
            return true;
    return false;
}

void GSheetContext::OpenTransaction(HWND owner)
{
    owner_ = owner;
    settings_.BeginTransaction();
}

uint16_t GSheetContext::OnPageMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!evaluated_) {
        evaluated_ = true;
        for (const auto& rule : rules_) {
            rule->Evaluate();
            ++evaluations_;
        }
    }
    return data_ && data_->hook ? data_->hook(window, message, wParam, lParam, data_) : 0;
}
