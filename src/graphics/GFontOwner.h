// What the fonts need of the job that owns them (the command producer): the key under
// which the driver server knows it, which also names the job in the font file pool,
// and the job's font database. A restored font reference finds its owner by key through
// the finder that the driver server registers.
#pragma once

#include <cstdint>

class GFontDatabase;

class GFontOwner {
public:
    virtual ~GFontOwner();

    // The number under which the driver server finds this owner again; it also names
    // the owner's job in the font file pool.
    virtual uint32_t GetProducerKey() const = 0;
    // The job's font database; null for an owner that keeps none.
    virtual GFontDatabase* GetFontPool();

    typedef GFontOwner* (*Finder)(uint32_t key);
    // Set by the layer that keeps the owners (the driver server).
    static void SetFinder(Finder finder);
    // The owner known under the key; null when there is none or no finder.
    static GFontOwner* Find(uint32_t key);
};
