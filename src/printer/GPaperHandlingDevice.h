// One paper-handling accessory, or the printer's own input or output path, with its
// alternative configurations: attribute composites of trays (input device) or bins
// (output device), keyed by a 16-bit option id. Iterating a device iterates the
// trays or bins of its selected configuration.
#pragma once

#include "model/GAttribute.h"
#include "model/GDisplayString.h"

#include <cstdint>
#include <vector>

class GObjectIterator;

// The configurations by option id: 16 buckets (id modulo 16), each a chain in the order
// the ids arrived. Entries hold their configuration through a counted reference; a
// null configuration counts as an empty one.
class GOptionMap {
public:
    static constexpr uint32_t kBuckets = 16;

    struct Entry {
        uint16_t id;
        GCountedRef configuration;
    };

    // Removes an entry of that id, then appends the new one to its bucket's chain.
    void Set(uint16_t id, GObjectBase* configuration);
    // Takes the entry out: its configuration, still held (null reference when absent).
    GCountedRef Take(uint16_t id, bool* found);
    const Entry* Find(uint16_t id) const;
    uint32_t Count() const { return count_; }
    void Clear();

    // Every entry in bucket order, then chain order.
    template <class F>
    void ForEach(F f) const
    {
        for (const std::vector<Entry>& chain : buckets_)
            for (const Entry& entry : chain)
                f(entry);
    }

private:
    std::vector<Entry> buckets_[kBuckets];
    uint32_t count_ = 0;
};

// The stored map: a u32 entry count, then each entry's u16 id and configuration as an
// object (nil allowed). A count the data cannot hold is refused; a stored configuration
// that is not an attribute composite is dropped and its entry kept with none.
uint32_t GFieldSize(const GOptionMap& map);
template <class In>
bool GFormRead(In& in, GOptionMap& map);
template <class Out>
void GFormWrite(Out& out, const GOptionMap& map);

class GPaperHandlingDevice : public GPersistent<GPaperHandlingDevice, GAttribute, 1010> {
public:
    static constexpr const char* kClassName = "GPaperHandlingDevice";
    GPaperHandlingDevice* CreateNew() const override { return new GPaperHandlingDevice; }
    GPaperHandlingDevice* Copy() const override { return new GPaperHandlingDevice(*this); }
    static constexpr uint32_t kVersion = 2;

    enum Type : uint32_t { kInput = 0, kOutput = 1 };

    GPaperHandlingDevice();
    // Mode 0 stores count 1.
    GPaperHandlingDevice(const char* name, uint32_t type, uint32_t mode, uint32_t count, uint32_t detection,
                         uint32_t querySelect, const long& id);
    GPaperHandlingDevice(uint16_t stringId, const char* name, uint32_t type, uint32_t mode, uint32_t count,
                         uint32_t detection, uint32_t querySelect, const char* text, const char* altText,
                         const long& id);
    // Configurations shared with the source.
    GPaperHandlingDevice(const GPaperHandlingDevice& other);
    GPaperHandlingDevice& operator=(const GPaperHandlingDevice& other);
    ~GPaperHandlingDevice() override;

    // The same class, id, fields, option count and display string; configurations are
    // not compared.
    bool IsSame(const GObjectBase* other) const override;
    // Answers 1; no visitor is called.
    int16_t ApplyTo(GAttributeVisitor& visitor) override;
    // Over the selected configuration's members; a null iterator when there is none.
    GObjectIterator* CreateIterator() override;

    // Takes the configuration over under the id, replacing an entry of that id; the
    // first option set on a device with selection 0 becomes selected.
    void SetOption(uint16_t id, GObjectBase* configuration);
    // The configuration, owned by the caller (null when absent). A removed selection
    // moves to the first remaining option with a configuration.
    GObjectBase* RemoveOption(uint16_t id);
    // 1 when the device holds the id (then selected), else 0.
    int SelectOption(uint16_t id);
    void SetMode(uint32_t mode);
    // 1 when the mode allows changing the count (then stored), else 0.
    int SetCount(uint32_t count);
    // Both answer the previous value.
    uint32_t SetDetection(uint32_t detection);
    uint32_t SetQuerySelect(uint32_t querySelect);
    void SetDisplayString(const GDisplayString& display) { display_ = display; }

    RWCString GetName() const { return name_; }
    uint32_t GetType() const { return type_; }
    uint32_t GetMode() const { return mode_; }
    uint32_t GetCount() const { return count_; }
    uint16_t GetSelectedOption() const { return selected_; }
    uint32_t GetDetection() const { return detection_; }
    uint32_t GetQuerySelect() const { return querySelect_; }
    uint32_t GetOptionCount() const { return options_.Count(); }
    const GDisplayString& GetDisplayString() const { return display_; }

    bool HasOption(uint16_t id) const { return options_.Find(id) != nullptr; }
    // Borrowed; null when absent.
    GObjectBase* FindOption(uint16_t id) const;
    // Replaces the list by every option id, bucket order then chain order.
    void ListOptions(std::vector<uint16_t>& ids) const;
    // Member counts over the configurations: the smallest non-zero one, the largest one,
    // and the selected one's (0 when none).
    uint32_t GetSmallestEntries() const;
    uint32_t GetLargestEntries() const;
    uint32_t GetSelectedEntries() const;

    // Version 1 ends after the options; its detection then is 1 and the query-select
    // flag 1 when two or more options arrived.
    auto StoredForm()
    {
        return GVersioned<kVersion, 6>(GFields(name_, type_, mode_, count_, selected_, options_, detection_,
                                               querySelect_, GEmbedded(display_)));
    }
    template <class In>
    void ReadForm(In& in);

private:
    RWCString name_;
    uint32_t type_;
    uint32_t mode_;
    uint32_t count_;
    uint16_t selected_;
    GOptionMap options_;
    uint32_t detection_;
    uint32_t querySelect_;
    GDisplayString display_;
};
