// One output bin of the printer's paper path.
#pragma once

#include "model/GAttribute.h"
#include "model/GDisplayString.h"

class GBin : public GPersistent<GBin, GAttribute, 1009> {
public:
    static constexpr const char* kClassName = "GBin";
    GBin* CreateNew() const override { return new GBin; }
    GBin* Copy() const override { return new GBin(*this); }
    static constexpr uint32_t kVersion = 2;

    GBin();
    GBin(const char* name, uint16_t binId, const long& id);
    GBin(uint16_t stringId, const char* name, uint16_t binId, int32_t wordA, int32_t wordB, int32_t limit,
         int32_t level, int32_t wordE, int32_t wordF, const char* text, const char* altText, const long& id);
    GBin(const GBin& other);
    GBin& operator=(const GBin& other);
    ~GBin() override;

    // The same object, or the same class, id, fields and display string.
    bool IsSame(const GObjectBase* other) const override;
    // Answers 1; no visitor is called.
    int16_t ApplyTo(GAttributeVisitor& visitor) override;

    void SetWordB(int32_t word) { wordB_ = word; }
    void SetLimit(int32_t limit) { limit_ = limit; }
    // Stores the level and answers 1 when it is below the limit; else answers 0.
    int SetLevel(int32_t level);
    void SetWordE(int32_t word) { wordE_ = word; }
    void SetWordF(int32_t word) { wordF_ = word; }
    void SetDisplayString(const GDisplayString& display) { display_ = display; }

    const RWCString* GetName() const { return &name_; }
    uint16_t GetBinId() const { return uint16_t(binId_); }
    int32_t GetWordA() const { return wordA_; }
    int32_t GetWordB() const { return wordB_; }
    int32_t GetLimit() const { return limit_; }
    int32_t GetLevel() const { return level_; }
    int32_t GetWordE() const { return wordE_; }
    int32_t GetWordF() const { return wordF_; }
    const GDisplayString& GetDisplayString() const { return display_; }

    // Version 1 holds everything but the display string.
    auto StoredForm()
    {
        return GVersioned<kVersion, 8>(
            GFields(name_, binId_, wordA_, wordB_, limit_, level_, wordE_, wordF_, GEmbedded(display_)));
    }

private:
    RWCString name_;
    int16_t binId_;
    int32_t wordA_;
    int32_t wordB_;
    int32_t limit_;
    int32_t level_;
    int32_t wordE_;
    int32_t wordF_;
    GDisplayString display_;
};
