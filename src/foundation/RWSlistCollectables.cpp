#include "foundation/RWSlistCollectables.h"

#include "foundation/RWCollectionHelpers.h"
#include "foundation/RWFactory.h"
#include "foundation/RWThreadContext.h"

namespace {
const RWClassRegistration<RWSlistCollectables> g_listRegistration("RWSlistCollectables");
} // namespace

int RWCollectableIsSame(const RWCollectable* member, const void* arg) { return member == arg; }

RWSlistCollectables::RWSlistCollectables(RWCollectable* obj) { AppendMember(obj); }

RWSlistCollectables::RWSlistCollectables(const RWSlistCollectables& other)
    : RWSequenceable(other), RWSlistBase()
{
    for (const RWSlistLink* p = other.Head()->next; p != other.Tail(); p = p->next)
        AppendMember(Member(p));
}

RWSlistCollectables& RWSlistCollectables::operator=(const RWSlistCollectables& other)
{
    if (this != &other) {
        Clear();
        for (const RWSlistLink* p = other.Head()->next; p != other.Tail(); p = p->next)
            AppendMember(Member(p));
    }
    return *this;
}

RWSlistCollectables::~RWSlistCollectables() { Clear(); }

RWCollectable* RWSlistCollectables::CreateNew() const { return new RWSlistCollectables; }
RWCollectable* RWSlistCollectables::Copy() const { return new RWSlistCollectables(*this); }
RWClassID RWSlistCollectables::ClassId() const { return kClassId; }

bool RWSlistCollectables::IsEqual(const RWCollectable* other) const { return IsEqualList(other, kClassId); }

bool RWSlistCollectables::IsEqualList(const RWCollectable* other, RWClassID classId) const
{
    if (!other || other->ClassId() != classId)
        return false;
    // A list that holds itself is still equal to itself.
    if (other == this)
        return true;
    const RWCompareBound bound;
    if (!bound.Allowed())
        return false;
    const RWSlistCollectables* list = dynamic_cast<const RWSlistCollectables*>(other);
    if (!list || Entries() != list->Entries())
        return false;
    const RWSlistLink* q = list->Head()->next;
    for (const RWSlistLink* p = Head()->next; p != Tail(); p = p->next, q = q->next) {
        const RWCollectable* a = Member(p);
        const RWCollectable* b = Member(q);
        if (!(a == nullptr && b == nullptr) && !RWCollectableIsEqual(a, b))
            return false;
    }
    return true;
}

RWCollectableLink* RWSlistCollectables::NewLink(RWCollectable* obj)
{
    RWCollectableLink* link = new RWCollectableLink;
    link->next = nullptr;
    link->item = obj;
    return link;
}

RWCollectable* RWSlistCollectables::FreeLink(RWSlistLink* link)
{
    if (!link)
        return nullptr;
    RWCollectable* member = Member(link);
    delete static_cast<RWCollectableLink*>(link);
    return member;
}

void RWSlistCollectables::Apply(RWApplyCollectable fn, void* arg) const
{
    for (const RWSlistLink* p = Head()->next; p != Tail(); p = p->next)
        fn(Member(p), arg);
}

void RWSlistCollectables::Clear()
{
    RWSlistLink* p = Head()->next;
    while (p != Tail()) {
        RWSlistLink* next = p->next;
        delete static_cast<RWCollectableLink*>(p);
        p = next;
    }
    Reset();
}

const RWSlistLink* RWSlistCollectables::FindLink(RWTestCollectable test, const void* arg,
                                                 const RWSlistLink* from, const RWSlistLink** before) const
{
    for (const RWSlistLink* p = from; p->next != Tail(); p = p->next) {
        if (test(Member(p->next), arg)) {
            if (before)
                *before = p;
            return p->next;
        }
    }
    return nullptr;
}

size_t RWSlistCollectables::Count(RWTestCollectable test, const void* arg) const
{
    size_t n = 0;
    for (const RWSlistLink* p = Head()->next; p != Tail(); p = p->next)
        if (test(Member(p), arg))
            ++n;
    return n;
}

RWCollectable* RWSlistCollectables::Find(const RWCollectable* obj) const
{
    const RWSlistLink* link = FindLink(RWCollectableIsEqual, obj, Head(), nullptr);
    return link ? Member(link) : nullptr;
}

RWCollectable* RWSlistCollectables::FindReference(const RWCollectable* obj) const
{
    const RWSlistLink* link = FindLink(RWCollectableIsSame, obj, Head(), nullptr);
    return link ? Member(link) : nullptr;
}

size_t RWSlistCollectables::OccurrencesOf(const RWCollectable* obj) const { return Count(RWCollectableIsEqual, obj); }

size_t RWSlistCollectables::OccurrencesOfReference(const RWCollectable* obj) const
{
    return Count(RWCollectableIsSame, obj);
}

RWCollectable* RWSlistCollectables::RemoveMatching(RWTestCollectable test, const void* arg)
{
    const RWSlistLink* before = nullptr;
    if (!FindLink(test, arg, Head(), &before))
        return nullptr;
    return FreeLink(RemoveAfter(const_cast<RWSlistLink*>(before)));
}

RWCollectable* RWSlistCollectables::Remove(const RWCollectable* obj) { return RemoveMatching(RWCollectableIsEqual, obj); }

RWCollectable* RWSlistCollectables::RemoveReference(const RWCollectable* obj)
{
    return RemoveMatching(RWCollectableIsSame, obj);
}

RWCollectable* RWSlistCollectables::RemoveFirst() { return IsEmpty() ? nullptr : FreeLink(RemoveAfter(Head())); }

RWCollectable* RWSlistCollectables::AppendMember(RWCollectable* obj)
{
    RWSlistBase::Append(NewLink(obj));
    return obj;
}

RWCollectable* RWSlistCollectables::PrependMember(RWCollectable* obj)
{
    RWSlistBase::Prepend(NewLink(obj));
    return obj;
}

RWCollectable* RWSlistCollectables::Insert(RWCollectable* obj) { return AppendMember(obj); }
RWCollectable* RWSlistCollectables::Append(RWCollectable* obj) { return AppendMember(obj); }
RWCollectable* RWSlistCollectables::Prepend(RWCollectable* obj) { return PrependMember(obj); }

RWCollectable* RWSlistCollectables::At(size_t i) const
{
    const RWSlistLink* link = RWSlistBase::At(i);
    return link ? Member(link) : nullptr;
}

RWCollectable*& RWSlistCollectables::At(size_t i)
{
    RWSlistLink* link = RWSlistBase::At(i);
    if (!link) {
        // Where a write through At goes after an index error.
        RWCollectable*& scratch = RWThreadContext::Current().collectableScratch;
        scratch = nullptr;
        return scratch;
    }
    return static_cast<RWCollectableLink*>(link)->item;
}

RWCollectable* RWSlistCollectables::First() const { return IsEmpty() ? nullptr : Member(FirstLink()); }
RWCollectable* RWSlistCollectables::Last() const { return IsEmpty() ? nullptr : Member(LastLink()); }

size_t RWSlistCollectables::Index(const RWCollectable* obj) const
{
    size_t i = 0;
    for (const RWSlistLink* p = Head()->next; p != Tail(); p = p->next, ++i)
        if (RWCollectableIsEqual(Member(p), obj))
            return i;
    return RW_NPOS;
}

RWCollectable* RWSlistCollectables::InsertAt(size_t i, RWCollectable* obj)
{
    RWCollectableLink* link = NewLink(obj);
    if (!RWSlistBase::InsertAt(i, link)) {
        delete link;
        return nullptr;
    }
    return obj;
}

RWCollectable* RWSlistCollectables::InsertAfter(size_t i, RWCollectable* obj)
{
    RWSlistLink* before = RWSlistBase::At(i);
    if (!before)
        return nullptr;
    RWSlistBase::InsertAfter(before, NewLink(obj));
    return obj;
}
