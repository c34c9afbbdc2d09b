// The fonts of one mass-storage device, read from its font-list file: either built into
// a device font list or reported one by one to a callback for display.
//
// A font-list file comes from outside: its header (directory length L at 4, stamp at 8,
// record count N at 28, N record offsets from 32) is held in memory and must satisfy
// 36 <= L <= file size and 32 + 4N <= L; every record, name and code is checked against
// the file before it is read, and a walk that meets a bad record stops with the fonts
// read so far.
#pragma once

#include "foundation/RWBinaryFile.h"
#include "foundation/RWCString.h"
#include "foundation/RWWString.h"

#include <cstdint>
#include <memory>
#include <vector>

class GDeviceFontList;
class GDriverObject;

class GMassStorageFontSource {
public:
    // Answers how many fonts it took (normally 1). The record is its fixed 28 bytes and
    // then its further codes.
    typedef int (*Callback)(const RWCString& displayName, const RWCString& deviceName, const uint8_t* record,
                            uint32_t recordLength, void* context);

    GMassStorageFontSource(int device, GDriverObject* printer);
    GMassStorageFontSource(const GMassStorageFontSource&) = delete;
    GMassStorageFontSource& operator=(const GMassStorageFontSource&) = delete;
    virtual ~GMassStorageFontSource();

    // Writes the device's code, closes any open file and opens the font-list file for
    // reading; the file, or null when there is no path or it does not open.
    virtual RWBinaryFile* Open(uint16_t* deviceCode);
    // Writes 0, then reads the header into memory and writes the device's code; the
    // directory, or null when no file is open or the header is not sound.
    virtual const uint8_t* ReadDirectory(uint16_t* deviceCode);
    virtual void Close();
    // The stamp of the directory, 0 without one.
    virtual uint32_t GetStamp() const;
    // A new list (the caller's) whose id is the device's code, with the fonts of the
    // file that are not hidden and the directory's stamp; null without a file or a
    // directory.
    virtual GDeviceFontList* BuildFontList();
    // Every font, hidden ones too, reported to the callback; the sum of its answers.
    virtual int EnumerateFonts(Callback callback, void* context);

    GDeviceFontList* CreateFontList() { return BuildFontList(); }
    const RWWString& GetPath() const { return path_; }

private:
    struct Record;
    bool EnsureDirectory();
    // Reads record number index; false when it cannot be read whole.
    bool ReadRecord(uint32_t index, Record& record);
    bool ReadName(uint64_t recordOffset, uint32_t nameOffset, uint16_t length, RWCString& name);
    // Walks the records; list or callback receives them.
    void Walk(GDeviceFontList* list);

    GDriverObject* printer_;
    RWWString path_;
    std::unique_ptr<RWBinaryFile> file_;
    std::vector<uint8_t> directory_;
    bool hasDirectory_;
    uint64_t fileSize_;
    int device_;
    Callback callback_;
    void* context_;
    int count_;
};
