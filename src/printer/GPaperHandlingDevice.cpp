#include "printer/GPaperHandlingDevice.h"

#include "model/GAttributeComposite.h"
#include "model/GNullIterator.h"
#include "model/GStoredCounts.h"

#include <algorithm>
#include <new>

void GOptionMap::Set(uint16_t id, GObjectBase* configuration)
{
    bool found = false;
    Take(id, &found);
    buckets_[id % kBuckets].push_back(Entry{id, GCountedRef(configuration)});
    ++count_;
}

GCountedRef GOptionMap::Take(uint16_t id, bool* found)
{
    std::vector<Entry>& chain = buckets_[id % kBuckets];
    for (auto it = chain.begin(); it != chain.end(); ++it)
        if (it->id == id) {
            GCountedRef configuration = std::move(it->configuration);
            chain.erase(it);
            --count_;
            *found = true;
            return configuration;
        }
    *found = false;
    return GCountedRef();
}

const GOptionMap::Entry* GOptionMap::Find(uint16_t id) const
{
    for (const Entry& entry : buckets_[id % kBuckets])
        if (entry.id == id)
            return &entry;
    return nullptr;
}

void GOptionMap::Clear()
{
    for (std::vector<Entry>& chain : buckets_)
        chain.clear();
    count_ = 0;
}

uint32_t GFieldSize(const GOptionMap& map)
{
    uint32_t size = 4;
    map.ForEach([&](const GOptionMap::Entry& entry) {
        const RWCollectable* held = entry.configuration.Get();
        size += 2 + (held ? held : &RWNilObject)->RecursiveStoreSize();
    });
    return size;
}

template <class In>
bool GFormRead(In& in, GOptionMap& map)
{
    map.Clear();
    uint32_t count = 0;
    // An entry is at least its id and one byte of object reference.
    if (!GReadField(in, count) || !GCheckStoredCount(in, count, 3))
        return false;
    for (uint32_t i = 0; i < count; ++i) {
        uint16_t id = 0;
        if (!GReadField(in, id))
            return false;
        GObjectBase* configuration = GObjectBase::RestoreHeld(in);
        if (!configuration && GObjectBase::RestoreStopped(in))
            return false;
        GCountedRef held(configuration);
        if (configuration && !configuration->IsKindOf(GAttributeComposite::kClassId))
            held.Set(nullptr);
        map.Set(id, held.Get());
    }
    return true;
}

template <class Out>
void GFormWrite(Out& out, const GOptionMap& map)
{
    GWriteField(out, map.Count());
    map.ForEach([&](const GOptionMap::Entry& entry) {
        GWriteField(out, entry.id);
        out << static_cast<const RWCollectable*>(entry.configuration.Get());
    });
}

template bool GFormRead(RWBinaryFile&, GOptionMap&);
template bool GFormRead(RWDataInStream&, GOptionMap&);
template void GFormWrite(RWBinaryFile&, const GOptionMap&);
template void GFormWrite(RWDataOutStream&, const GOptionMap&);

GPaperHandlingDevice::GPaperHandlingDevice() : GPaperHandlingDevice(nullptr, kInput, 1, 0, 0, 0, 0) {}

GPaperHandlingDevice::GPaperHandlingDevice(const char* name, uint32_t type, uint32_t mode, uint32_t count,
                                           uint32_t detection, uint32_t querySelect, const long& id)
    : GPaperHandlingDevice(0, name, type, mode, count, detection, querySelect, nullptr, nullptr, id)
{
}

GPaperHandlingDevice::GPaperHandlingDevice(uint16_t stringId, const char* name, uint32_t type, uint32_t mode,
                                           uint32_t count, uint32_t detection, uint32_t querySelect,
                                           const char* text, const char* altText, const long& id)
    : GPersistent(id), name_(name ? name : ""), type_(type), mode_(mode), count_(mode == 0 ? 1 : count),
      selected_(0), detection_(detection), querySelect_(querySelect), display_(stringId, text, altText)
{
    display_.MarkEmbedded();
}

GPaperHandlingDevice::GPaperHandlingDevice(const GPaperHandlingDevice& other)
    : GPersistent(other), name_(other.name_), type_(other.type_), mode_(other.mode_), count_(other.count_),
      selected_(other.selected_), options_(other.options_), detection_(other.detection_),
      querySelect_(other.querySelect_), display_(other.display_)
{
    display_.MarkEmbedded();
}

GPaperHandlingDevice& GPaperHandlingDevice::operator=(const GPaperHandlingDevice& other)
{
    if (this != &other) {
        GAttribute::operator=(other);
        name_ = other.name_;
        type_ = other.type_;
        mode_ = other.mode_;
        count_ = other.count_;
        selected_ = other.selected_;
        options_ = other.options_;
        detection_ = other.detection_;
        querySelect_ = other.querySelect_;
        display_ = other.display_;
        display_.MarkEmbedded();
    }
    return *this;
}

GPaperHandlingDevice::~GPaperHandlingDevice() { options_.Clear(); }

template <class In>
void GPaperHandlingDevice::ReadForm(In& in)
{
    const GVersionRead read = GReadForm(in, StoredForm());
    if (read.complete && read.version < kVersion) {
        detection_ = 1;
        querySelect_ = options_.Count() >= 2 ? 1 : 0;
    }
}

template void GPaperHandlingDevice::ReadForm(RWBinaryFile&);
template void GPaperHandlingDevice::ReadForm(RWDataInStream&);

bool GPaperHandlingDevice::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    const GPaperHandlingDevice* device = GSameClass<GPaperHandlingDevice>(this, other);
    return device && device->GetId() == GetId() && device->name_ == name_ && device->type_ == type_ &&
           device->mode_ == mode_ && device->count_ == count_ && device->selected_ == selected_ &&
           device->detection_ == detection_ && device->querySelect_ == querySelect_ &&
           device->options_.Count() == options_.Count() && device->display_.IsSame(&display_);
}

int16_t GPaperHandlingDevice::ApplyTo(GAttributeVisitor&) { return 1; }

GObjectIterator* GPaperHandlingDevice::CreateIterator()
{
    GObjectBase* configuration = FindOption(selected_);
    if (configuration)
        return configuration->CreateIterator();
    return new (std::nothrow) GNullIterator;
}

void GPaperHandlingDevice::SetOption(uint16_t id, GObjectBase* configuration)
{
    options_.Set(id, configuration);
    if (selected_ == 0)
        selected_ = id;
}

GObjectBase* GPaperHandlingDevice::RemoveOption(uint16_t id)
{
    bool found = false;
    GCountedRef configuration = options_.Take(id, &found);
    if (found && id == selected_) {
        selected_ = 0;
        bool chosen = false;
        options_.ForEach([&](const GOptionMap::Entry& entry) {
            if (!chosen && entry.configuration) {
                selected_ = entry.id;
                chosen = true;
            }
        });
    }
    return GObjectBase::HandOut(configuration.Detach());
}

int GPaperHandlingDevice::SelectOption(uint16_t id)
{
    if (!HasOption(id))
        return 0;
    selected_ = id;
    return 1;
}

void GPaperHandlingDevice::SetMode(uint32_t mode)
{
    mode_ = mode;
    if (mode == 0)
        count_ = 1;
}

int GPaperHandlingDevice::SetCount(uint32_t count)
{
    if (mode_ != 1)
        return 0;
    count_ = count;
    return 1;
}

uint32_t GPaperHandlingDevice::SetDetection(uint32_t detection)
{
    std::swap(detection, detection_);
    return detection;
}

uint32_t GPaperHandlingDevice::SetQuerySelect(uint32_t querySelect)
{
    std::swap(querySelect, querySelect_);
    return querySelect;
}

GObjectBase* GPaperHandlingDevice::FindOption(uint16_t id) const
{
    const GOptionMap::Entry* entry = options_.Find(id);
    return entry ? entry->configuration.Get() : nullptr;
}

void GPaperHandlingDevice::ListOptions(std::vector<uint16_t>& ids) const
{
    ids.clear();
    options_.ForEach([&](const GOptionMap::Entry& entry) { ids.push_back(entry.id); });
}

uint32_t GPaperHandlingDevice::GetSmallestEntries() const
{
    uint32_t smallest = 0;
    options_.ForEach([&](const GOptionMap::Entry& entry) {
        const uint32_t entries = entry.configuration ? entry.configuration->Entries() : 0;
        if (entries != 0 && (smallest == 0 || entries < smallest))
            smallest = entries;
    });
    return smallest;
}

uint32_t GPaperHandlingDevice::GetLargestEntries() const
{
    uint32_t largest = 0;
    options_.ForEach([&](const GOptionMap::Entry& entry) {
        if (entry.configuration)
            largest = std::max(largest, entry.configuration->Entries());
    });
    return largest;
}

uint32_t GPaperHandlingDevice::GetSelectedEntries() const
{
    const GObjectBase* configuration = FindOption(selected_);
    return configuration ? configuration->Entries() : 0;
}
