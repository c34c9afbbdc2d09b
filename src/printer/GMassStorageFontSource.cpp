#include "printer/GMassStorageFontSource.h"

#include "graphics/GDeviceFontList.h"
#include "printer/GMassStorageFonts.h"

namespace {

const uint32_t kHeaderSize = 36;
const uint32_t kFixedRecordSize = 28;

uint16_t U16At(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t U32At(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

// Symbol-set codes of the file and the codes they stand for; any other code is 0.
const struct {
    uint16_t from;
    uint32_t to;
} kSymbolSets[] = {
    {5, 3},    {6, 53},   {7, 55},   {8, 54},   {51, 9},   {52, 9},   {53, 9},   {54, 9},   {58, 9},
    {214, 9},  {55, 7},   {153, 7},  {211, 7},  {56, 12},  {215, 12}, {57, 8},   {213, 8},  {101, 4},
    {102, 4},  {106, 4},  {107, 4},  {210, 4},  {103, 5},  {208, 5},  {105, 6},  {152, 6},  {212, 6},
    {108, 14}, {151, 14}, {209, 14}, {201, 15}, {202, 17}, {203, 18}, {204, 19}, {205, 21}, {206, 23},
    {207, 16}, {216, 22}, {217, 20},
};

uint32_t Translated(uint16_t code)
{
    for (const auto& row : kSymbolSets)
        if (row.from == code)
            return row.to;
    return 0;
}

int32_t TypeClass(uint8_t attributes)
{
    const int32_t bits = attributes & 0xF0;
    return bits >= 0x10 && bits <= 0x50 ? bits : 0;
}

} // namespace

struct GMassStorageFontSource::Record {
    uint64_t offset;
    std::vector<uint8_t> bytes; // the fixed part, then the further codes
    const uint8_t* At(size_t i) const { return bytes.data() + i; }
    uint16_t CodeCount() const { return U16At(At(24)); }
    uint16_t Code(uint32_t i) const { return U16At(At(26 + 2 * size_t(i))); }
};

GMassStorageFontSource::GMassStorageFontSource(int device, GDriverObject* printer)
    : printer_(printer), path_(GetMassStorageFontFilePath(printer, device)), hasDirectory_(false), fileSize_(0),
      device_(device), callback_(nullptr), context_(nullptr), count_(0)
{
}

GMassStorageFontSource::~GMassStorageFontSource() { Close(); }

RWBinaryFile* GMassStorageFontSource::Open(uint16_t* deviceCode)
{
    const GMassStorageDevice* row = GetMassStorageDevice(device_);
    if (deviceCode)
        *deviceCode = row ? row->code : 0;
    Close();
    if (path_.IsNull())
        return nullptr;
    file_.reset(new RWBinaryFile(path_.ToMultiByte().Data(), "rb"));
    if (!file_->IsValid() || !file_->SeekToEnd() || file_->CurOffset() < 0) {
        file_.reset();
        return nullptr;
    }
    fileSize_ = uint64_t(file_->CurOffset());
    return file_.get();
}

const uint8_t* GMassStorageFontSource::ReadDirectory(uint16_t* deviceCode)
{
    if (deviceCode)
        *deviceCode = 0;
    directory_.clear();
    hasDirectory_ = false;
    if (!file_ || fileSize_ < kHeaderSize)
        return nullptr;
    uint8_t word[4];
    if (!file_->SeekTo(4) || !file_->Read(reinterpret_cast<char*>(word), 4))
        return nullptr;
    const uint32_t length = U32At(word);
    if (length < kHeaderSize || length > fileSize_)
        return nullptr;
    std::vector<uint8_t> directory(length);
    if (!file_->SeekTo(0) || !file_->Read(reinterpret_cast<char*>(directory.data()), length))
        return nullptr;
    if (32 + 4 * uint64_t(U32At(directory.data() + 28)) > length)
        return nullptr;
    directory_.swap(directory);
    hasDirectory_ = true;
    const GMassStorageDevice* row = GetMassStorageDevice(device_);
    if (deviceCode)
        *deviceCode = row ? row->code : 0;
    return directory_.data();
}

void GMassStorageFontSource::Close() { file_.reset(); }

uint32_t GMassStorageFontSource::GetStamp() const { return hasDirectory_ ? U32At(directory_.data() + 8) : 0; }

bool GMassStorageFontSource::EnsureDirectory()
{
    if (file_ && !hasDirectory_)
        ReadDirectory(nullptr);
    return file_ && hasDirectory_;
}

GDeviceFontList* GMassStorageFontSource::BuildFontList()
{
    if (!EnsureDirectory())
        return nullptr;
    const GMassStorageDevice* row = GetMassStorageDevice(device_);
    GDeviceFontList* list = new GDeviceFontList(row ? long(row->code) : 0);
    Walk(list);
    list->SetStamp(GetStamp());
    return list;
}

int GMassStorageFontSource::EnumerateFonts(Callback callback, void* context)
{
    count_ = 0;
    callback_ = callback;
    context_ = context;
    if (EnsureDirectory() && callback)
        Walk(nullptr);
    return count_;
}

bool GMassStorageFontSource::ReadRecord(uint32_t index, Record& record)
{
    record.offset = U32At(directory_.data() + 32 + 4 * size_t(index));
    if (record.offset + kFixedRecordSize > fileSize_)
        return false;
    record.bytes.assign(kFixedRecordSize, 0);
    if (!file_->SeekTo(long(record.offset)) || !file_->Read(reinterpret_cast<char*>(record.bytes.data()), kFixedRecordSize))
        return false;
    const uint32_t further = record.CodeCount() > 1 ? record.CodeCount() - 1u : 0u;
    // Records with many codes are read whole; the file must hold them.
    if (record.offset + kFixedRecordSize + 2 * uint64_t(further) > fileSize_)
        return false;
    record.bytes.resize(kFixedRecordSize + 2 * size_t(further));
    return further == 0 || file_->Read(reinterpret_cast<char*>(record.bytes.data() + kFixedRecordSize), 2 * size_t(further));
}

// The name ends at its first zero byte, or at its stored length when it has none.
bool GMassStorageFontSource::ReadName(uint64_t recordOffset, uint32_t nameOffset, uint16_t length, RWCString& name)
{
    name = RWCString();
    if (length == 0)
        return true;
    const uint64_t at = recordOffset + nameOffset;
    if (at + length > fileSize_)
        return false;
    std::vector<char> buffer(size_t(length) + 10, '\0');
    if (!file_->SeekTo(long(at)) || !file_->Read(buffer.data(), length))
        return false;
    size_t end = 0;
    while (end < length && buffer[end] != '\0')
        ++end;
    name = RWCString(buffer.data(), end);
    return true;
}

void GMassStorageFontSource::Walk(GDeviceFontList* list)
{
    const uint32_t count = U32At(directory_.data() + 28);
    const GMassStorageDevice* row = GetMassStorageDevice(device_);
    Record record;
    for (uint32_t i = 0; i < count; ++i) {
        if (!ReadRecord(i, record))
            return;
        const uint8_t attributes = *record.At(20);
        const uint8_t technology = *record.At(21);
        const uint16_t k = record.CodeCount();
        if ((list && (technology & 0x80)) || k == 0)
            continue;

        GULongVector sets(k);
        bool raw207 = false;
        for (uint32_t c = 0; c < k; ++c) {
            raw207 = raw207 || record.Code(c) == 207;
            sets.Append(Translated(record.Code(c)));
        }
        int32_t characterSet = 16;
        if (k == 1 || sets.At(1) == 3)
            characterSet = int32_t(sets.At(0));
        else if (!raw207)
            sets.Append(16);

        RWCString fontName, deviceName;
        if (!ReadName(record.offset, U32At(record.At(6)), U16At(record.At(4)), fontName) ||
            !ReadName(record.offset, U32At(record.At(12)), U16At(record.At(10)), deviceName))
            return;

        int32_t scalable = 0, fixed = attributes & 1;
        switch (technology & 0x7F) {
        case 2: scalable = 1; break;
        case 3: scalable = 2; break;
        case 4: scalable = 5; break;
        default: fixed = 1; break;
        }
        int32_t format = row ? row->kind : 0;
        if (format == 4 && (attributes & 4))
            format = 7;
        const uint16_t weight = U16At(record.At(16));
        const int32_t italic = U16At(record.At(18));

        if (list) {
            list->Add(GDeviceFontDescription(fontName, deviceName, characterSet, sets, weight, italic,
                                             TypeClass(attributes), fixed, scalable, U16At(record.At(22)), 0, format));
        } else {
            RWCString display = fontName;
            if (weight >= 700)
                display += " -Bd";
            if (italic)
                display += " -It";
            count_ += callback_(display, deviceName, record.bytes.data(), uint32_t(record.bytes.size()), context_);
        }
    }
}
