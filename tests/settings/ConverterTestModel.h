// The model of a colour laser printer as the DEVMODE converter reads it, of the tests'
// own making: copies 1 to 999, duplex 0 to 2, four orientations, 600 and 1200 dpi with
// quality keys and three presets, collation, a form-to-tray database, custom sizes from
// 3 x 5 to 8.5 x 14 inches, an id pool (Letter, A4, Legal, custom) and five trays behind
// the DMBIN_ codes 1, 2, 3, 4 and 7, plus one extra paper source. The owner answers forms
// from the spooler of the test prefix.
#pragma once

#include "model/GAttributeComposite.h"
#include "model/GConfiguration.h"
#include "model/GRangeAttribute.h"
#include "model/GResourceMapping.h"
#include "model/GResourceMappingList.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "printer/GDriverObject.h"
#include "printer/GFormToTrayDatabase.h"
#include "printer/GMedia.h"
#include "printer/GMediaPool.h"
#include "printer/GPaperHandlingDevice.h"
#include "printer/GPeripheralComposite.h"
#include "printer/GPrinter.h"
#include "printer/GTray.h"

#include <cstdint>
#include <initializer_list>

namespace ConverterModel {

// Paper values of the tree.
constexpr uint16_t kLetter = 2000, kA4 = 2001, kLegal = 2002, kCustom = 16384;
// A setting that the quality presets also fix (resolution enhancement).
constexpr uint16_t kEnhancement = 906;

inline GAttributeComposite* Composite(long id, std::initializer_list<GObjectBase*> members)
{
    auto* composite = new GAttributeComposite(id);
    for (GObjectBase* member : members)
        composite->Add(member);
    return composite;
}

inline GValueAttribute* Value(uint16_t value, long id) { return new GValueAttribute(value, id); }

// Resolution entries and presets: x, y, bits, quality key.
inline GAttributeComposite* Resolution(uint16_t x, uint16_t y, uint16_t bits, int16_t key,
                                       std::initializer_list<GObjectBase*> more = {})
{
    GAttributeComposite* entry =
        Composite(0, {Value(x, 323), Value(y, 324), Value(bits, 325), Value(uint16_t(key), 902)});
    for (GObjectBase* member : more)
        entry->Add(member);
    return entry;
}

// Every paper at every orientation and resolution, in dots.
inline GMediaPool* MediaPool()
{
    const struct {
        uint16_t id;
        uint32_t widthMils, lengthMils;
    } papers[] = {{kLetter, 8500, 11000}, {kA4, 8268, 11693}, {kLegal, 8500, 14000},
                  {17384, 8500, 14000},   {17385, 3000, 5000}};
    auto* pool = new GMediaPool(189);
    for (uint16_t resolution : {600, 1200})
        for (uint32_t orientation : {0, 90, 180, 270})
            for (const auto& paper : papers) {
                const GMediaPair size{uint16_t(paper.widthMils * resolution / 1000),
                                      uint16_t(paper.lengthMils * resolution / 1000)};
                const uint16_t margin = resolution / 6;
                pool->Add(new GMedia("paper", size, {uint16_t(size.x - 2 * margin), uint16_t(size.y - 2 * margin)},
                                     {margin, margin}, orientation, paper.id, resolution, resolution, 0, 0, nullptr,
                                     nullptr));
            }
    return pool;
}

inline GAttributeComposite* Trays(long id)
{
    const struct {
        const char* name;
        uint16_t tray;
    } trays[] = {{"Tray 1", 10}, {"Tray 2", 11}, {"Tray 3", 12}, {"Manual Feed", 13}, {"Automatic", 14}};
    GAttributeComposite* list = Composite(id, {});
    for (const auto& row : trays)
        list->Add(new GTray(row.name, row.tray, 0));
    return list;
}

inline GConfiguration* Configuration(uint16_t colourMode)
{
    auto* configuration = new GConfiguration(198);
    configuration->Add(Value(colourMode, 339));
    configuration->Add(new GRangeAttribute(1, 999, 1, 1, 199));
    configuration->Add(new GRangeAttribute(0, 2, 1, 0, 203));
    configuration->Add(Composite(205, {Value(0, 0), Value(90, 0), Value(180, 0), Value(270, 0)}));
    configuration->Add(Composite(206, {Resolution(1200, 1200, 1, DMRES_HIGH), Resolution(600, 600, 1, DMRES_MEDIUM)}));
    configuration->Add(Composite(903, {Resolution(1200, 1200, 1, DMRES_HIGH, {Value(1, kEnhancement)}),
                                       Resolution(600, 600, 1, DMRES_MEDIUM, {Value(1, kEnhancement)}),
                                       Resolution(600, 600, 8, DMRES_DRAFT, {Value(0, kEnhancement)})}));
    configuration->Add(Value(1, 231));
    configuration->Add(Value(1, 294));
    configuration->Add(Value(1, 298)), configuration->Add(Value(1, 350)), configuration->Add(Value(2, 351));
    configuration->Add(new GFormToTrayDatabase(510));
    configuration->Add(MediaPool());
    configuration->Add(Value(0, 915));
    configuration->Add(Value(0, 929));
    auto* device = new GPaperHandlingDevice("Trays", 0, 1, 1, 0, 0, 0);
    device->SetOption(1, Trays(1));
    device->SelectOption(1);
    configuration->Add(Composite(90, {device}));
    configuration->Add(Trays(193));
    return configuration;
}

// The document settings the converter reads and writes.
inline GObjectBase* Document()
{
    return Composite(360, {Value(0, 265),
                           Value(kLetter, 260),
                           Value(1, 291),
                           Value(10, 258),
                           new GStringAttribute("", 261),
                           Composite(249, {Value(600, 323), Value(600, 324), Value(1, 325), Value(uint16_t(1), 902)}),
                           Value(1, kEnhancement),
                           Value(1, 294),
                           Value(0, 296),
                           Value(1, 298),
                           Value(0, 350),
                           Value(0, 351),
                           Value(0, 253),
                           Value(0, 292),
                           Value(0, 713),
                           Value(0, 983)});
}

// The driver object: the printer (the device colour mode 339 in its configuration),
// the id pool, the OS tray map and the extra source "Envelope Feeder" (bin 16690).
class Driver : public GDriverObjectImp {
public:
    explicit Driver(uint16_t colourMode = 0, HANDLE printer = nullptr)
        : GDriverObject(L"Colour Laser", L"QZ Colour Laser PCL6"), printer_(printer)
    {
        GPrinter* model = new GPrinter("printer", nullptr, nullptr, 353);
        model->Add(new GPeripheralComposite("model", nullptr, Configuration(colourMode), 76));
        SetPrinter(model);
        auto* pool = new GResourceMappingList(191);
        for (auto pair : {std::make_pair(1, kLetter), {9, kA4}, {5, kLegal}, {256, kCustom}})
            pool->AddIfSecondCodeFree(new GResourceMapping(0, uint16_t(pair.first), int16_t(pair.second)));
        SetIdPool(pool);
        auto* trays = new GResourceMappingList(84);
        for (auto pair : {std::make_pair(1, 10), {2, 11}, {3, 12}, {4, 13}, {7, 14}})
            trays->AddIfSecondCodeFree(new GResourceMapping(0, uint16_t(pair.first), int16_t(pair.second)));
        SetSubObject3(trays);
    }
    GObjectBase* CreateSettings() override
    {
        return Composite(0, {Composite(701, {new GStringAttribute("Envelope Feeder", 702)})});
    }
    GObjectBase* CreateDefaultSettings() override { return Document(); }
    uint16_t DefaultPaperCode() override { return kLetter; }

    // The spooler's forms (the printer's handle given), fitting when no wider than 8.5
    // and no longer than 14 inches at the angle.
    FORM_INFO_1W* EnumForms(uint32_t& count) override
    {
        DWORD needed = 0, returned = 0;
        count = 0;
        if (!printer_)
            return nullptr;
        ::EnumFormsW(printer_, 1, nullptr, 0, &needed, &returned);
        BYTE* forms = needed ? new BYTE[needed] : nullptr;
        if (!forms || !::EnumFormsW(printer_, 1, forms, needed, &needed, &returned))
            return delete[] forms, nullptr;
        count = returned;
        return reinterpret_cast<FORM_INFO_1W*>(forms);
    }
    void FreeForms(FORM_INFO_1W* forms) override { delete[] reinterpret_cast<BYTE*>(forms); }
    int FormFitsDevice(uint32_t angle, uint16_t, uint16_t, int, uint32_t index) override
    {
        uint32_t count = 0;
        FORM_INFO_1W* forms = EnumForms(count);
        bool fits = false;
        if (forms && index >= 1 && index <= count) {
            const SIZEL size = forms[index - 1].Size;
            const LONG width = angle == 90 ? size.cy : size.cx, length = angle == 90 ? size.cx : size.cy;
            fits = width <= 215900 && length <= 355600;
        }
        FreeForms(forms);
        return fits;
    }

private:
    HANDLE printer_;
};

} // namespace ConverterModel
