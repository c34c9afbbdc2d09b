#include "printer/GTray.h"

#include "printer/GPeripheral.h"

uint32_t GFieldSize(const GHeldMedia& held) { return 4 + (held.media ? held.media->RecursiveStoreSize() : 0); }

template <class In>
bool GFormRead(In& in, GHeldMedia& held)
{
    uint32_t flag = 0;
    if (!GReadField(in, flag))
        return false;
    held.media.Set(nullptr);
    if (flag != 1)
        return true;
    GObjectBase* media = GObjectBase::RestoreHeld(in);
    held.media.Set(media);
    if (media && media->ClassId() != GMedia::kClassId)
        held.media.Set(nullptr);
    return media || !GObjectBase::RestoreStopped(in);
}

template <class Out>
void GFormWrite(Out& out, const GHeldMedia& held)
{
    GWriteField(out, uint32_t(held.media ? 1 : 0));
    if (held.media)
        out << static_cast<const RWCollectable*>(held.media.Get());
}

template bool GFormRead(RWBinaryFile&, GHeldMedia&);
template bool GFormRead(RWDataInStream&, GHeldMedia&);
template void GFormWrite(RWBinaryFile&, const GHeldMedia&);
template void GFormWrite(RWDataOutStream&, const GHeldMedia&);

GTray::GTray() : GTray(nullptr, 0, 0) {}

GTray::GTray(const char* name, uint16_t trayId, const long& id) : GTray(name, trayId, 0, 0, -1, -1, nullptr, id) {}

GTray::GTray(const char* name, uint16_t trayId, int32_t wordA, int32_t wordB, int32_t limit, int32_t level,
             GMedia* media, const long& id)
    : GTray(0, name, trayId, wordA, wordB, limit, level, media, nullptr, nullptr, id)
{
}

GTray::GTray(uint16_t stringId, const char* name, uint16_t trayId, int32_t wordA, int32_t wordB, int32_t limit,
             int32_t level, GMedia* media, const char* text, const char* altText, const long& id)
    : GPersistent(id), name_(name ? name : ""), trayId_(int16_t(trayId)), wordA_(wordA), wordB_(wordB),
      limit_(limit), level_(level), display_(stringId, text, altText)
{
    media_.media.Set(media);
    display_.MarkEmbedded();
}

GTray::GTray(const GTray& other)
    : GPersistent(other), name_(other.name_), trayId_(other.trayId_), wordA_(other.wordA_), wordB_(other.wordB_),
      limit_(other.limit_), level_(other.level_), display_(other.display_)
{
    if (other.GetMedia())
        media_.media.Set(other.GetMedia()->Copy());
    display_.MarkEmbedded();
}

GTray& GTray::operator=(const GTray& other)
{
    if (this == &other)
        return *this;
    GAttribute::operator=(other);
    name_ = other.name_;
    trayId_ = other.trayId_;
    wordA_ = other.wordA_;
    wordB_ = other.wordB_;
    limit_ = other.limit_;
    level_ = other.level_;
    media_.media.Set(other.GetMedia() ? other.GetMedia()->Copy() : nullptr);
    display_ = other.display_;
    display_.MarkEmbedded();
    return *this;
}

GTray::~GTray() {}

bool GTray::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    const GTray* tray = GSameClass<GTray>(this, other);
    if (!tray || tray->GetId() != GetId() || !(tray->name_ == name_) || tray->trayId_ != trayId_ ||
        tray->wordA_ != wordA_ || tray->wordB_ != wordB_ || tray->limit_ != limit_ || tray->level_ != level_ ||
        !tray->display_.IsSame(&display_))
        return false;
    if (!GetMedia() || !tray->GetMedia())
        return !GetMedia() && !tray->GetMedia();
    return GetMedia()->IsSame(tray->GetMedia());
}

int16_t GTray::ApplyTo(GAttributeVisitor& visitor)
{
    GPeripheral* peripheral = dynamic_cast<GPeripheral*>(&visitor);
    return peripheral ? peripheral->ApplyTray(*this) : 0;
}

int GTray::SetLevel(int32_t level)
{
    if (limit_ <= level)
        return 0;
    level_ = level;
    return 1;
}

void GTray::SetMedia(GMedia* media)
{
    if (media != GetMedia())
        media_.media.Set(media);
}

GMedia* GTray::ReleaseMedia()
{
    return static_cast<GMedia*>(GObjectBase::HandOut(media_.media.Detach()));
}
