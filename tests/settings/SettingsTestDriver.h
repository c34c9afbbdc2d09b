// A driver object with the defaults of a colour laser printer, as the settings tests
// need them: the document root 360 with the job state 362 (orientation 260, duplex 291,
// copies 253, resolution 249), the custom sizes 276, the watermarks 378, the change list
// 1101, the per-printer nodes 365, 366, 368 and 283, and leaves of every served class;
// the configuration holds the stored-list entry template 375 and the stored-form choice
// 940 under 359, 366; the driver name is its second identity string. Plus the pack and
// unpack helpers over memory streams.
#pragma once

#include "graphics/GDeviceFontList.h"
#include "model/GAttributeComposite.h"
#include "model/GChromafitAttribute.h"
#include "model/GChromafitEnhancedAttribute.h"
#include "model/GChromafitEnhancedAttributeVer2.h"
#include "model/GConfiguration.h"
#include "model/GDisplayStringAttribute.h"
#include "model/GEnumAttribute.h"
#include "model/GRangeAttribute.h"
#include "model/GStreamHolder.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "printer/GCustomMediaSize.h"
#include "printer/GDriverObject.h"
#include "printer/GFormToTrayDatabase.h"
#include "printer/GMediaPool.h"
#include "printer/GPeripheralComposite.h"
#include "printer/GPrinter.h"
#include "model/GState.h"
#include "settings/serializer/GSettingsTreeSerializer.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace SettingsTest {

inline GAttributeComposite* Composite(long id, std::initializer_list<GObjectBase*> members)
{
    auto* composite = new GAttributeComposite(id);
    for (GObjectBase* member : members)
        composite->Add(member);
    return composite;
}

inline GValueAttribute* Value(uint16_t value, long id) { return new GValueAttribute(value, id); }

// The document settings a new job starts from.
inline GObjectBase* DefaultDocument()
{
    auto* job = new GState(362);
    job->Add(Value(1, 260));
    job->Add(Value(1, 291));
    job->Add(new GRangeAttribute(1, 999, 1, 1, 253));
    job->Add(Composite(249, {Value(600, 323), Value(600, 324)}));
    job->Add(Value(0, 266)), job->Add(Value(0, 267)), job->Add(Value(0, 268));
    job->Add(new GChromafitAttribute(207, 1, 2, 3, 4, 5, 6));
    job->Add(new GChromafitEnhancedAttribute(208));
    job->Add(new GChromafitEnhancedAttributeVer2(1201));
    job->Add(new GDisplayStringAttribute(787, 12001, "Letter", "Lettre"));
    auto* media = new GEnumAttribute(300);
    media->Add(Value(0, 0)), media->Add(Value(1, 0));
    job->Add(media);
    job->Add(new GMediaPool(189));

    auto* forms = new GFormToTrayDatabase(1012);
    return Composite(360, {job,
                           Composite(276, {new GCustomMediaSize(16385, "Card", 3, 100000, 150000, 775)}),
                           Composite(329, {Value(0, 266), Value(0, 267), Value(0, 268)}),
                           Composite(378, {Value(0, 381)}),
                           Composite(1101, {}),
                           Composite(701, {new GStringAttribute("A4", 702)}),
                           Composite(314, {new GStringAttribute("Plain", 315)}),
                           Composite(63, {Value(5, 64)}),
                           forms,
                           Composite(365, {new GStringAttribute("Tray", 315), Value(2, 318)}),
                           Composite(366, {Value(0, 940), Composite(1102, {})}),
                           Composite(368, {Value(0, 369)}),
                           Composite(283, {Value(0, 284)})});
}

// Gives the driver object its printer model: the configuration with the stored-list
// entry template 375 and the stored-form choice.
inline void SetTestPrinter(GDriverObject& driver, uint16_t storedForm)
{
    GConfiguration* configuration = new GConfiguration(198);
    configuration->Add(Composite(359, {Composite(366, {Value(storedForm, 940)})}));
    configuration->Add(Composite(375, {Value(1, 500), Value(2, 501)}));
    GPrinter* printer = new GPrinter("printer", nullptr, nullptr, 353);
    printer->Add(new GPeripheralComposite("model", nullptr, configuration, 76));
    driver.SetPrinter(printer);
}

class TestDriver : public GDriverObject {
public:
    explicit TestDriver(uint16_t storedForm = 0, const wchar_t* driverName = L"QZ Colour Laser PCL6")
        : GDriverObject(L"Colour Laser", driverName)
    {
        SetTestPrinter(*this, storedForm);
    }
    GObjectBase* CreateDefaultSettings() override { return ++defaultsMade, DefaultDocument(); }
    int defaultsMade = 0;
};

inline const uint32_t kPortable = GSettingsTreeSerializer::kPortable;
inline const uint32_t kNative = GSettingsTreeSerializer::kNative;

// The bytes Save writes over a memory stream of the given room (kind 1, raw binary).
inline std::vector<uint8_t> Pack(const GObjectBase* tree, uint32_t mode, int* result = nullptr,
                                 uint32_t room = 1u << 17)
{
    std::vector<uint8_t> buffer(room);
    GOutStreamHolder holder(buffer.data(), room, 1);
    GSettingsTreeSerializer serializer;
    const int written = serializer.Save(tree, *holder.GetStream(), &holder, mode);
    holder.GetStream()->Flush();
    if (result)
        *result = written;
    buffer.resize(size_t(holder.Tell()));
    return buffer;
}

// The bytes after the 20-byte lead-in.
inline std::vector<uint8_t> Body(const std::vector<uint8_t>& bytes)
{
    return bytes.size() < 20 ? std::vector<uint8_t>() : std::vector<uint8_t>(bytes.begin() + 20, bytes.end());
}

inline std::vector<uint8_t> WithLeadIn(std::vector<uint8_t> body)
{
    body.insert(body.begin(), 20, 0x73);
    return body;
}

inline GObjectBase* Unpack(GSettingsTreeSerializer& serializer, const std::vector<uint8_t>& bytes,
                           GDriverObject* driver, uint32_t mode)
{
    GInStreamHolder holder(bytes.data(), uint32_t(bytes.size()), 1);
    return serializer.Load(*holder.GetStream(), &holder, driver, mode);
}

} // namespace SettingsTest
