// One input source of the printer's paper path, with the media loaded in it.
#pragma once

#include "model/GAttribute.h"
#include "model/GDisplayString.h"
#include "printer/GMedia.h"

// The loaded media of a tray: a u32 flag (1 when a media follows), then the media as an
// object. Held through a counted reference, so that damaged data naming one media twice
// shares it; a stored object of another class counts as no media.
struct GHeldMedia {
    GCountedRef media;
};

uint32_t GFieldSize(const GHeldMedia& held);
template <class In>
bool GFormRead(In& in, GHeldMedia& held);
template <class Out>
void GFormWrite(Out& out, const GHeldMedia& held);

class GTray : public GPersistent<GTray, GAttribute, 1001> {
public:
    static constexpr const char* kClassName = "GTray";
    GTray* CreateNew() const override { return new GTray; }
    GTray* Copy() const override { return new GTray(*this); }
    static constexpr uint32_t kVersion = 2;

    GTray();
    GTray(const char* name, uint16_t trayId, const long& id);
    // Takes the media over.
    GTray(const char* name, uint16_t trayId, int32_t wordA, int32_t wordB, int32_t limit, int32_t level,
          GMedia* media, const long& id);
    GTray(uint16_t stringId, const char* name, uint16_t trayId, int32_t wordA, int32_t wordB, int32_t limit,
          int32_t level, GMedia* media, const char* text, const char* altText, const long& id);
    // The copy gets its own copy of the loaded media.
    GTray(const GTray& other);
    GTray& operator=(const GTray& other);
    ~GTray() override;

    // The same object, or the same class, id, fields and display string, and loaded
    // media both absent or both present and the same.
    bool IsSame(const GObjectBase* other) const override;
    // The peripheral's ApplyTray; 0 for a visitor that is no peripheral.
    int16_t ApplyTo(GAttributeVisitor& visitor) override;

    void SetWordA(int32_t word) { wordA_ = word; }
    void SetWordB(int32_t word) { wordB_ = word; }
    void SetLimit(int32_t limit) { limit_ = limit; }
    // Stores the level and answers 1 when it is below the limit; else answers 0.
    int SetLevel(int32_t level);
    // Takes the media over and deletes the previous one; the media held already is kept.
    void SetMedia(GMedia* media);
    // The media, owned by the caller; the tray has none afterwards.
    GMedia* ReleaseMedia();
    void SetDisplayString(const GDisplayString& display) { display_ = display; }

    const RWCString* GetName() const { return &name_; }
    uint16_t GetTrayId() const { return uint16_t(trayId_); }
    int32_t GetWordA() const { return wordA_; }
    int32_t GetWordB() const { return wordB_; }
    int32_t GetLimit() const { return limit_; }
    int32_t GetLevel() const { return level_; }
    GMedia* GetMedia() const { return static_cast<GMedia*>(media_.media.Get()); }
    const GDisplayString& GetDisplayString() const { return display_; }

    // Version 1 holds everything but the display string.
    auto StoredForm()
    {
        return GVersioned<kVersion, 7>(
            GFields(name_, trayId_, wordA_, wordB_, limit_, level_, media_, GEmbedded(display_)));
    }

private:
    RWCString name_;
    int16_t trayId_;
    int32_t wordA_;
    int32_t wordB_;
    int32_t limit_;
    int32_t level_;
    GHeldMedia media_;
    GDisplayString display_;
};
