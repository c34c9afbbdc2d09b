// The input tray of the job (mode 0), of the pages after a different first page (1) or
// of the back cover (2). Keywords name trays; the tray id is that of the first installed
// tray whose name holds the keyword's tray name; 19 selects the tray automatically. An
// import of the main tray while every page uses it also sets the other pages' trays.
#pragma once

#include "foundation/RWWString.h"
#include "settings/dmc/FeatureTranslator.h"

class GDriverObject;

// One row of the tray table: the tray's name and the keyword.
struct TrayRow {
    const char* name;
    const wchar_t* keyword;
};

class InputBinTranslator : public FeatureTranslator {
public:
    static const TrayRow kTrays[22];
    static const uint16_t kTrayCount;
    static const TranslatorDescription kModes[3];
    static constexpr uint16_t kAutomatic = 19;
    static constexpr const wchar_t* kAutomaticKeyword = L"PrinterSelect";

    InputBinTranslator(GDMCLibrary& library, GDriverObject* driver, uint32_t mode);
    int32_t ToAttributes(GObjectBase* settings, GAttributeComposite* changes) override;
    int32_t FromAttributes(GObjectBase* settings) override;

    // The tray id of a keyword: 19 for "PrinterSelect", for a keyword not in the table and
    // when no installed tray's name holds the keyword's tray name.
    uint16_t MapTrayKeywordToId(const wchar_t* keyword) const;
    // The keyword of an installed tray's id; "PrinterSelect" when none matches.
    RWWString MapTrayIdToKeyword(uint16_t id) const;

    const TranslatorDescription& Description() const { return description_; }
    uint16_t OptionCount() const { return optionCount_; }

private:
    uint32_t LeafId() const { return description_.idPath[0]; }

    GDriverObject* driver_;
    const TranslatorDescription& description_;
    uint16_t optionCount_;
};
