#include "printer/GFormToTrayDatabase.h"

#include "printer/GFormToTrayAssociation.h"

GFormToTrayDatabase::GFormToTrayDatabase() : GFormToTrayDatabase(0) {}

GFormToTrayDatabase::GFormToTrayDatabase(const long& id)
    : GPersistent(id), defaultSecond_(kUnspecified), defaultFirst_(0)
{
    associations_.MarkEmbedded();
}

GFormToTrayDatabase::GFormToTrayDatabase(const GFormToTrayDatabase& other)
    : GPersistent(other), defaultSecond_(other.defaultSecond_), defaultFirst_(other.defaultFirst_),
      associations_(other.associations_)
{
    associations_.MarkEmbedded();
}

GFormToTrayDatabase& GFormToTrayDatabase::operator=(const GFormToTrayDatabase& other)
{
    if (this != &other) {
        GAttribute::operator=(other);
        defaultSecond_ = other.defaultSecond_;
        defaultFirst_ = other.defaultFirst_;
        associations_ = other.associations_;
    }
    return *this;
}

GFormToTrayDatabase::~GFormToTrayDatabase() {}

template <class In>
bool GFormToTrayDatabase::ReadStored(In& in)
{
    associations_.RestoreGuts(in);
    return !GObjectBase::RestoreStopped(in);
}

template <class Out>
void GFormToTrayDatabase::WriteStored(Out& out) const
{
    associations_.SaveGuts(out);
}

template bool GFormToTrayDatabase::ReadStored(RWBinaryFile&);
template bool GFormToTrayDatabase::ReadStored(RWDataInStream&);
template void GFormToTrayDatabase::WriteStored(RWBinaryFile&) const;
template void GFormToTrayDatabase::WriteStored(RWDataOutStream&) const;

bool GFormToTrayDatabase::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    const GFormToTrayDatabase* database = GSameClass<GFormToTrayDatabase>(this, other);
    return database && database->GetId() == GetId() && associations_.IsSame(&database->associations_);
}

int16_t GFormToTrayDatabase::ApplyTo(GAttributeVisitor&) { return 1; }

template <class Match>
GFormToTrayAssociation* GFormToTrayDatabase::FirstRow(Match match) const
{
    for (uint32_t i = 0; i < associations_.Entries(); ++i) {
        GObjectBase* member = associations_.At(i);
        if (member && member->ClassId() == GFormToTrayAssociation::kClassId) {
            GFormToTrayAssociation* row = static_cast<GFormToTrayAssociation*>(member);
            if (match(*row))
                return row;
        }
    }
    return nullptr;
}

void GFormToTrayDatabase::SetAssociation(uint16_t key, uint16_t first, uint16_t second)
{
    SetAssociationNamed(key, first, second, RWWString());
}

void GFormToTrayDatabase::SetAssociationNamed(uint16_t key, uint16_t first, uint16_t second,
                                              const RWWString& formName)
{
    RemoveAssociation(key);
    associations_.Add(new GFormToTrayAssociation(key, first, second, formName));
}

void GFormToTrayDatabase::ResetAssociation(uint16_t key) { SetAssociation(key, defaultFirst_, defaultSecond_); }

// Every row of the key goes, so that damaged data with two rows for one key is mended.
void GFormToTrayDatabase::RemoveAssociation(uint16_t key)
{
    while (GFormToTrayAssociation* row = FindByKey(key))
        delete associations_.Remove(row);
}

void GFormToTrayDatabase::RemoveAll() { associations_.RemoveAll(); }

uint16_t GFormToTrayDatabase::GetFirstValue(uint16_t key) const
{
    const GFormToTrayAssociation* row = FindByKey(key);
    return row ? row->GetFirstValue() : defaultFirst_;
}

uint16_t GFormToTrayDatabase::GetSecondValue(uint16_t key) const
{
    const GFormToTrayAssociation* row = FindByKey(key);
    return row ? row->GetSecondValue() : defaultSecond_;
}

uint16_t GFormToTrayDatabase::GetFirstNonDefault() const
{
    const GFormToTrayAssociation* row =
        FirstRow([&](const GFormToTrayAssociation& r) { return r.GetFirstValue() != defaultFirst_; });
    return row ? row->GetFirstValue() : defaultFirst_;
}

uint16_t GFormToTrayDatabase::GetSecondNonDefault() const
{
    const GFormToTrayAssociation* row =
        FirstRow([&](const GFormToTrayAssociation& r) { return r.GetSecondValue() != defaultSecond_; });
    return row ? row->GetSecondValue() : defaultSecond_;
}

uint16_t GFormToTrayDatabase::GetSecondByFirst(uint16_t first) const
{
    const GFormToTrayAssociation* row = FindByFirstValue(first);
    return row ? row->GetSecondValue() : defaultSecond_;
}

uint16_t GFormToTrayDatabase::GetFirstBySecond(uint16_t second) const
{
    const GFormToTrayAssociation* row = FindBySecondValue(second);
    return row ? row->GetFirstValue() : defaultFirst_;
}

GFormToTrayAssociation* GFormToTrayDatabase::FindByKey(uint16_t key) const
{
    return FirstRow([&](const GFormToTrayAssociation& r) { return r.GetKey() == key; });
}

GFormToTrayAssociation* GFormToTrayDatabase::FindByFirstValue(uint16_t first) const
{
    return FirstRow([&](const GFormToTrayAssociation& r) { return r.GetFirstValue() == first; });
}

GFormToTrayAssociation* GFormToTrayDatabase::FindBySecondValue(uint16_t second) const
{
    return FirstRow([&](const GFormToTrayAssociation& r) { return r.GetSecondValue() == second; });
}

int GFormToTrayDatabase::ContainsPair(uint16_t first, uint16_t second) const
{
    return FirstRow([&](const GFormToTrayAssociation& r) {
               return r.GetFirstValue() == first && r.GetSecondValue() == second;
           })
               ? 1
               : 0;
}

int GFormToTrayDatabase::ContainsFirstValueNamed(uint16_t first, const RWWString& formName) const
{
    return FirstRow([&](const GFormToTrayAssociation& r) {
               return r.GetFirstValue() == first && r.GetFormName() == formName;
           })
               ? 1
               : 0;
}

int GFormToTrayDatabase::IsCustomized() const
{
    return FirstRow([&](const GFormToTrayAssociation& r) {
               return r.GetFirstValue() != defaultFirst_ || r.GetSecondValue() != defaultSecond_;
           })
               ? 1
               : 0;
}

void GFormToTrayDatabase::ListKeys(std::vector<uint16_t>& keys) const
{
    FirstRow([&](const GFormToTrayAssociation& r) {
        keys.push_back(r.GetKey());
        return false;
    });
}
