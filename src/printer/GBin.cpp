#include "printer/GBin.h"

GBin::GBin() : GBin(nullptr, 0, 0) {}

GBin::GBin(const char* name, uint16_t binId, const long& id)
    : GBin(0, name, binId, 0, 0, -1, -1, 0, 0, nullptr, nullptr, id)
{
}

GBin::GBin(uint16_t stringId, const char* name, uint16_t binId, int32_t wordA, int32_t wordB, int32_t limit,
           int32_t level, int32_t wordE, int32_t wordF, const char* text, const char* altText, const long& id)
    : GPersistent(id), name_(name ? name : ""), binId_(int16_t(binId)), wordA_(wordA), wordB_(wordB), limit_(limit),
      level_(level), wordE_(wordE), wordF_(wordF), display_(stringId, text, altText)
{
    display_.MarkEmbedded();
}

GBin::GBin(const GBin& other)
    : GPersistent(other), name_(other.name_), binId_(other.binId_), wordA_(other.wordA_), wordB_(other.wordB_),
      limit_(other.limit_), level_(other.level_), wordE_(other.wordE_), wordF_(other.wordF_),
      display_(other.display_)
{
    display_.MarkEmbedded();
}

GBin& GBin::operator=(const GBin& other)
{
    if (this != &other) {
        GAttribute::operator=(other);
        name_ = other.name_;
        binId_ = other.binId_;
        wordA_ = other.wordA_;
        wordB_ = other.wordB_;
        limit_ = other.limit_;
        level_ = other.level_;
        wordE_ = other.wordE_;
        wordF_ = other.wordF_;
        display_ = other.display_;
        display_.MarkEmbedded();
    }
    return *this;
}

GBin::~GBin() {}

bool GBin::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    const GBin* bin = GSameClass<GBin>(this, other);
    return bin && bin->GetId() == GetId() && bin->name_ == name_ && bin->binId_ == binId_ &&
           bin->wordA_ == wordA_ && bin->wordB_ == wordB_ && bin->limit_ == limit_ && bin->level_ == level_ &&
           bin->wordE_ == wordE_ && bin->wordF_ == wordF_ && bin->display_.IsSame(&display_);
}

int16_t GBin::ApplyTo(GAttributeVisitor&) { return 1; }

int GBin::SetLevel(int32_t level)
{
    if (limit_ <= level)
        return 0;
    level_ = level;
    return 1;
}
