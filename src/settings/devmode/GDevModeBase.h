// The holder of one driver DEVMODE: 1172 bytes, the 220-byte public DEVMODEW followed by
// 952 private bytes (a 46-byte header and a 906-byte data area: the packed length and
// capacity words and 902 bytes of room), and the settings tree packed into it.
//
// The private part is a stored format that applications keep in their documents, so its
// layout is pinned here. A DEVMODE handed in from outside is read by byte offsets, never
// through a DEVMODEW pointer (the spooler may hand it unaligned), and never beyond the
// dmSize + dmDriverExtra bytes it claims, after those two words passed the checks.
#pragma once

#include "foundation/RWCString.h"
#include "foundation/RWWString.h"
#include "settings/serializer/GSettingsTreeSerializer.h"

#include <cstddef>
#include <cstdint>

#include <windows.h>

class GDriverObject;
class GObjectBase;

class GDevModeBase {
public:
    // The layout.
    static constexpr uint32_t kPublicSize = 220;
    static constexpr uint32_t kPrivateHeaderSize = 46;
    static constexpr uint32_t kPrivateDataSize = 906;
    static constexpr uint32_t kTotalSize = 1172;
    static constexpr uint32_t kDriverExtra = kPrivateHeaderSize + kPrivateDataSize;
    static constexpr uint32_t kPackedCapacity = 902;
    static constexpr uint16_t kSpecVersion = 0x0401;
    static constexpr uint16_t kPrivateVersion = 4;
    static constexpr uint16_t kPackedOffset = 50;
    // Byte offsets of the private fields from the start of the DEVMODE.
    static constexpr size_t kTotalSizeAt = 220;
    static constexpr size_t kHeaderSizeAt = 222;
    static constexpr size_t kDriverNameAt = 224;
    static constexpr size_t kDriverNameLength = 32;
    static constexpr size_t kAppFlagsAt = 256;
    static constexpr size_t kTimeBiasAt = 260;
    static constexpr size_t kVersionAt = 262;
    static constexpr size_t kPackedOffsetAt = 264;
    static constexpr size_t kPackedLengthAt = 266;
    static constexpr size_t kCapacityAt = 268;
    static constexpr size_t kPackedAt = 270;
    // The serialized tree must fit this room before it is compressed.
    static constexpr uint32_t kSerializeRoom = 4096;
    // UnpackSettings flags: bit 0 reads the native coding, bit 2 the LZW codec.
    static constexpr uint32_t kNativeCoding = 1;
    static constexpr uint32_t kLzwCodec = 4;

    explicit GDevModeBase(GDriverObject* driver);
    // The other's buffer and a deep copy of its tree.
    GDevModeBase(const GDevModeBase& other);
    GDevModeBase& operator=(const GDevModeBase&) = delete;
    virtual ~GDevModeBase();

    // Keeps the driver object and writes its driver name at 224 when it differs.
    virtual void BindDriver(GDriverObject* driver);
    // The DEVMODE into the caller's 1172 bytes: 1; 0 for null.
    virtual int CopyOut(DEVMODEW* devMode);
    // An application's DEVMODE joins the object: its tree when its private part gives
    // one, its public fields in any case; then everything is packed again. 0 for null.
    virtual int MergeDevMode(const DEVMODEW* devMode);
    // The other object's DEVMODE into this one's buffer; the tree stays.
    virtual int CopyIn(const GDevModeBase& other);
    // A deep copy of the tree (or, for null, the current tree) into the DEVMODE: 1 when
    // the public part was filled and the tree packed; 0 leaves the packed length word and
    // the old packed bytes as they were.
    virtual int Pack(const GObjectBase* tree);
    // Pack of a tree the object takes as its own instead of a copy of it.
    int PackOwn(GObjectBase* tree);
    virtual int ToDevMode(GObjectBase* tree, DEVMODEW* devMode) = 0;
    virtual int FromDevMode(const DEVMODEW* devMode, GObjectBase* tree) = 0;
    virtual RWWString GetDeviceName() = 0;
    virtual RWCString GetDriverName() = 0;
    virtual int IsAvailable() = 0;
    // Whether an application's DEVMODE carries this driver's private part.
    virtual int IsCompatible(const DEVMODEW* devMode);
    virtual int IsReady() = 0;
    virtual DEVMODEW* GetDevMode();
    virtual GObjectBase* GetSettingsTree();
    virtual uint32_t GetTotalSize();
    virtual uint32_t GetPublicSize();
    virtual uint32_t GetPrivateHeaderSize();
    virtual uint32_t GetPrivateDataSize();
    virtual uint32_t GetSize();
    virtual int IsLoaded();
    // Features 323 and 324 of the tree; 0 when absent.
    virtual uint16_t GetXResolution();
    virtual uint16_t GetYResolution();
    // Byte copies: 1.
    virtual int CopyBytes(void* destination, const void* source, uint32_t count);
    virtual int CopyBytesAgain(void* destination, const void* source, uint32_t count);
    // Packs the tree at 270 of the DEVMODE buffer (1172 bytes): the packed length, 1 to
    // 902, or 0 when it did not fit (nothing written then).
    virtual uint16_t PackSettings(uint8_t* devMode, const GObjectBase* tree);
    // The tree packed in a DEVMODE (this object's buffer, or one that passed
    // IsCompatible), a new object owned by the caller; null when none can be read.
    // Only a tree whose root is the settings composite (360) is settings: any other tree
    // counts as a private part that does not read. A root without a resolution node (249)
    // holding both resolutions is completed from the driver's defaults.
    virtual GObjectBase* UnpackSettings(const DEVMODEW* devMode, uint32_t flags);
    static bool IsSettingsRoot(const GObjectBase* tree);
    // The settings take from the driver's defaults what a job needs to print and they
    // lack: the resolution node first (in place of one without both values), then each of
    // the defaults' top members held nowhere in the tree. The rest stays as it is.
    void CompleteSettings(GObjectBase* tree);
    virtual int CopyPublicOut(DEVMODEW* devMode);
    virtual int CopyPublicIn(const DEVMODEW* devMode);

    // The stamp fields of the buffer.
    uint32_t GetAppFlagsStamp() const;
    void SetAppFlagsStamp(uint32_t flags);
    void GetTimeBias(int16_t& minutes) const;
    void SetTimeBias(int16_t minutes);

    GDriverObject* GetDriver() const { return driver_; }
    int IsEmf() const { return emf_; }

protected:
    // Little-endian fields of any DEVMODE bytes, read and written without alignment.
    static uint16_t Word(const void* devMode, size_t at);
    static uint32_t DoubleWord(const void* devMode, size_t at);
    static void PutWord(void* devMode, size_t at, uint16_t value);
    static void PutDoubleWord(void* devMode, size_t at, uint32_t value);

    // The stored-form choice of the printer, read once (1: the compact portable coding).
    uint16_t FormatChoice();
    // Writes the fresh private header: sizes, driver name, stamps 0, version, offset,
    // capacity, nothing packed.
    void WriteFreshHeader();
    // Writes the driver object's driver name at 224 when it differs.
    void WriteDriverName();
    // A tree of an older coding written and read back through the compact form, with the
    // driver's copy table applied; the old tree when the round trip fails. Takes the tree.
    GObjectBase* ToCurrentForm(GObjectBase* old);
    // Replaces the current tree (deleted) with the given one (taken).
    void SetTree(GObjectBase* tree);
    // The bytes of a DEVMODE the packed data may be read from.
    uint32_t ReadableSize(const void* devMode) const;

    GDriverObject* driver_;
    uint8_t* buffer_;
    uint32_t ownsBuffer_;
    uint32_t bufferSize_;
    uint32_t loaded_;
    uint16_t formatChoice_;
    GSettingsTreeSerializer serializer_;
    GObjectBase* tree_;
    uint32_t emf_;
};
