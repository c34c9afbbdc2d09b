// What a thing the module keeps between entry calls was made from, and the one rule by
// which it may still answer. A source is the printer's data at a version (see
// GPrinterDataCache), or a file (the driver's data file that printer models are read
// from, the resource library that answers take their strings from) as its size and last
// write time tell it. A kept thing records the stamp of its source when it is made; a
// later call takes the stamp of that source as it sees it now, and the kept thing answers
// only when the two are the same. An unknown stamp (version 0, no such file) never
// answers: what was made under it is made again.
#pragma once

#include <cstdint>
#include <string>

class GSourceStamp {
public:
    // Unknown.
    GSourceStamp() = default;
    // The printer's data at the version; 0 is unknown.
    static GSourceStamp OfVersion(uint64_t version);
    // The file as the file system describes it now, without opening it; unknown when
    // there is no plain file of that name.
    static GSourceStamp OfFile(const std::wstring& path);
    // The file with the size and last write time given.
    static GSourceStamp OfFile(const std::wstring& path, uint64_t size, uint64_t lastWrite);

    // The rule: what was made under this stamp may answer under now.
    bool Answers(const GSourceStamp& now) const;

    bool IsKnown() const { return known_; }
    uint64_t Version() const { return version_; }
    const std::wstring& Path() const { return path_; }
    uint64_t Size() const { return size_; }
    uint64_t LastWrite() const { return lastWrite_; }

private:
    bool known_ = false;
    uint64_t version_ = 0;
    std::wstring path_;
    uint64_t size_ = 0;
    uint64_t lastWrite_ = 0;
};
