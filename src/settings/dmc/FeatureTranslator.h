// One feature of the device-model configuration moved between its keyword form and the
// 16-bit value of an attribute of the settings tree, in both directions. The enumerated
// and numeric algorithms are written once here and driven by a constant description per
// class: the feature's path, the attribute-id path that leads to its attribute, the kind
// of change record, the keyword buffer's size, the lock rule and the option table. Each
// named translator is a small subclass holding its description.
#pragma once

#include <cstddef>
#include <cstdint>

class GAttribute;
class GAttributeComposite;
class GDMCLibrary;
class GObjectBase;
class GRangeAttribute;
class GValueAttribute;

// The attribute a feature's value lives in: a plain value, or a range whose value is
// read as its 16-bit word and set clamped to its bounds, as the DEVMODE fields take it.
// Used like a pointer to the attribute; empty when the tree holds neither.
class FeatureSetting {
public:
    FeatureSetting() = default;
    FeatureSetting(std::nullptr_t) {}
    FeatureSetting(GValueAttribute* value);
    FeatureSetting(GRangeAttribute* range);

    explicit operator bool() const { return value_ || range_; }
    bool operator!() const { return !value_ && !range_; }
    FeatureSetting* operator->() { return this; }
    const FeatureSetting* operator->() const { return this; }

    uint16_t GetValue() const;
    void SetValue(uint16_t value);
    // A copy of the attribute itself, for the change list.
    GAttribute* Copy() const;
    GAttribute* Attribute() const;

private:
    GValueAttribute* value_ = nullptr;
    GRangeAttribute* range_ = nullptr;
};

// One row of an option table: the attribute's value and the configuration's keyword.
struct TranslatorOption {
    uint16_t value;
    const wchar_t* keyword;
};

// What an import adds to the change list when it takes a value over.
enum class TranslatorRecord : uint8_t {
    kNew,        // a new value attribute holding the value under the leaf id
    kCopy,       // a copy of the attribute after its value was set
    kCopyAlways, // the copy, added once the context was set, whether or not a row matched
    kNone,       // nothing
};

// When the configuration's "lock" attribute of the feature locks it.
enum class TranslatorLock : uint8_t {
    kNone,       // never asked
    kExactlyOne, // the library answered exactly 1
    kNonZero,    // the library answered anything but 0
};

struct TranslatorDescription {
    const wchar_t* featurePath;
    const wchar_t* exportPath; // null: the feature path
    const uint32_t* idPath;    // root side first
    uint8_t idCount;
    TranslatorRecord record;
    uint16_t bufferChars; // keyword buffer, terminating 0 included
    TranslatorLock lock;
    uint16_t lockId;      // the value of the lock marker: the feature's attribute id
    bool exportScansOn;   // a refused export tries the next row holding the value
    const TranslatorOption* options;
    uint16_t optionCount;
    // The leaf is looked for from the root of the tree once the path before it was found.
    bool leafFromRoot;

    const wchar_t* ExportPath() const { return exportPath ? exportPath : featurePath; }
};

class FeatureTranslator {
public:
    // Keyword buffer of the whole contract and the narrow buffer of the numeric routine.
    static constexpr uint16_t kKeywordChars = 255;
    static constexpr size_t kNumberBytes = 64;

    explicit FeatureTranslator(GDMCLibrary& library) : library_(library) {}
    FeatureTranslator(const FeatureTranslator&) = delete;
    FeatureTranslator& operator=(const FeatureTranslator&) = delete;
    virtual ~FeatureTranslator() = default;

    // Non-zero when the configuration's value was taken over into the tree (or a
    // sub-translator took one over). The change list collects what changed; it may be null.
    virtual int32_t ToAttributes(GObjectBase* settings, GAttributeComposite* changes) = 0;
    // Non-zero when a keyword was exported.
    virtual int32_t FromAttributes(GObjectBase* settings) = 0;

    // The C library's atoi rules over at most the given bytes, saturated to the 32-bit
    // range (atoi itself is undefined there), then cut to the low 16 bits.
    static int16_t ParseNumber(const char* text, size_t length);

protected:
    // The feature's attribute: every node on the id path must be a composite and the leaf
    // a value or a range attribute; a node of another class counts as missing.
    static FeatureSetting FindAttribute(const TranslatorDescription& description, GObjectBase* settings);

    // The enumerated import; the matched row (or null) through matched.
    int32_t ImportEnumerated(const TranslatorDescription& description, GObjectBase* settings,
                             GAttributeComposite* changes, const TranslatorOption** matched = nullptr);
    // The import of the features whose keyword is read before the attribute is looked
    // for (the context set first; no lock): 1 when a row matched and was taken.
    int32_t ImportKeywordFirst(const TranslatorDescription& description, GObjectBase* settings,
                               GAttributeComposite* changes);
    // The enumerated export; the exported row (or null) through exported.
    int32_t ExportEnumerated(const TranslatorDescription& description, GObjectBase* settings,
                             const TranslatorOption** exported = nullptr);
    // The numeric import: the keyword read as a number, taken when accept holds.
    int32_t ImportNumeric(const TranslatorDescription& description, GObjectBase* settings,
                          GAttributeComposite* changes, bool (*accept)(int16_t));
    int32_t ExportNumeric(const TranslatorDescription& description, GObjectBase* settings);

    // Sets the value and adds the description's record of it.
    static void TakeValue(const TranslatorDescription& description, FeatureSetting attribute, uint16_t value,
                          GAttributeComposite* changes);
    static void AddRecord(const TranslatorDescription& description, FeatureSetting attribute,
                          GAttributeComposite* changes);
    // Asks for the feature's lock and, when it locks, adds the marker to the lock list
    // (1102 under 366) unless the list holds that marker already. True when the feature is
    // locked and the list holds its marker.
    bool ApplyLock(const TranslatorDescription& description, GObjectBase* settings);
    // The first row holding the keyword; null when none does.
    static const TranslatorOption* FindKeyword(const TranslatorDescription& description, const wchar_t* keyword);

    // The steps a class adds to the enumerated import at their places. The row the
    // keyword read selects: the first row holding it.
    virtual const TranslatorOption* ChooseRow(const TranslatorDescription& description, const wchar_t* keyword)
    {
        return FindKeyword(description, keyword);
    }
    // After the scan, before the record that is added either way and the lock: a class's
    // refinements of the value and its sub-features. Non-zero counts as taken over.
    virtual int32_t AfterScan(const TranslatorDescription&, GObjectBase*, GAttributeComposite*, FeatureSetting,
                              const wchar_t*)
    {
        return 0;
    }

    GDMCLibrary& Library() { return library_; }

private:
    GDMCLibrary& library_;
};

// A translator that is its description and nothing more.
class DescribedTranslator : public FeatureTranslator {
public:
    DescribedTranslator(GDMCLibrary& library, const TranslatorDescription& description)
        : FeatureTranslator(library), description_(description), optionCount_(description.optionCount)
    {
    }
    int32_t ToAttributes(GObjectBase* settings, GAttributeComposite* changes) override
    {
        const int32_t ahead = Ahead(settings, kToAttributes);
        return ahead != kGoOn ? ahead : ImportEnumerated(description_, settings, changes);
    }
    int32_t FromAttributes(GObjectBase* settings) override
    {
        const int32_t ahead = Ahead(settings, kFromAttributes);
        return ahead != kGoOn ? ahead : AfterExport(settings, ExportEnumerated(description_, settings));
    }

    const TranslatorDescription& Description() const { return description_; }
    uint16_t OptionCount() const { return optionCount_; }

protected:
    // The directions, numbered as the helper library counts them.
    enum Direction : uint32_t { kToAttributes = 0, kFromAttributes = 1 };
    static constexpr int32_t kGoOn = -1;

    // Before the generic body, in each direction: kGoOn lets it run; any other value is
    // the call's result and the body does not run.
    virtual int32_t Ahead(GObjectBase*, Direction) { return kGoOn; }
    // After the export's scan, with its result: the sub-features' exports.
    virtual int32_t AfterExport(GObjectBase*, int32_t exported) { return exported; }

private:
    const TranslatorDescription& description_;
    uint16_t optionCount_;
};

// Describes a table's size for a description.
template <class T, size_t N>
constexpr uint16_t CountOf(const T (&)[N])
{
    return static_cast<uint16_t>(N);
}
