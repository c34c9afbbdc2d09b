// The persistent-class base: a class states its class id, its parent and its stored
// fields once, and gets from here its identity (class id, kind-of along the ancestors),
// the registration with the class factory, saving, restoring and sizing on a binary
// file and on the typed streams, and the comparison of its stored fields.
//
//   class GThing : public GPersistent<GThing, GObjectBase, 900> {
//   public:
//       static constexpr const char* kClassName = "GThing";
//       GThing* CreateNew() const override { return new GThing; }
//       GThing* Copy() const override { return new GThing(*this); }
//       bool IsSame(const GObjectBase* other) const override { return SameStored(other); }
//       auto StoredForm() { return GFields(count_, name_); }
//       ...
//   };
//
// A stored form is the parent's part, a u32 version word 1, then the fields in order.
// Every level declares a public StoredForm (GNoFields() when it stores nothing of its
// own, not even a version word); a missing or private one does not compile. A field is
// a number, an RWCString or RWWString, a GCountedRef (an object reference), GOwned (an
// object reference held by a plain pointer), a member list (GCountedPtrVector),
// GEmbedded (an object held by value), a byte block (GBlock: its length, then the
// bytes; GBytes: bytes whose count an earlier field gives; GItems: numbers likewise),
// a number stored in another width (GNarrowed, GStoredAs, GAtMost), a number stored but
// worked out again after a read (GRecomputed) or left out of comparisons (GUncompared),
// state a read resets (GReset), an optional field (GPresence), a fixed array or a
// counted list of entries (GEach, GList), or GHook
// (the class's own ReadStored / WriteStored / StoredSize). GVersion stores another
// version word; GVersioned a version whose older versions hold fewer fields. A form that
// is no sequence of these is GOwnForm: the class reads and writes it whole.
//
// Reading. By default each field is read into a temporary and all are assigned only
// when the version is right and every field arrived (a member list excepted, see
// GReadForm). A class that declares a public bool Settle() is read into a staged copy
// (a default-made object) instead: the fields go straight into the copy, so a later
// field can use an earlier one (a count, a length), then the copy's Settle states the
// class's invariants and works out what the fields imply, and only when it answers
// true do the fields (and what Settle worked out in them) change places with this
// object's. The copy, holding the old values, is then destroyed.
#pragma once

#include "foundation/RWFactory.h"
#include "foundation/RWWString.h"
#include "model/GCountedPtrVector.h"
#include "model/GObjectBase.h"
#include "model/GStoredCounts.h"
#include "model/GStoredFields.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

template <class... F>
std::tuple<F...> GFields(F&&... fields)
{
    return std::tuple<F...>(std::forward<F>(fields)...);
}

template <class T>
std::enable_if_t<std::is_arithmetic<T>::value, uint32_t> GFieldSize(const T&)
{
    return sizeof(T);
}

inline uint32_t GFieldSize(const RWCString& text) { return uint32_t(text.BinaryStoreSize()); }
inline uint32_t GFieldSize(const RWWString& text) { return uint32_t(text.BinaryStoreSize()); }

inline bool GReadField(RWBinaryFile& file, RWWString& value) { return value.RestoreFrom(file); }
inline bool GReadField(RWDataInStream& stream, RWWString& value) { return value.RestoreFrom(stream); }
inline void GWriteField(RWBinaryFile& file, const RWWString& value) { value.SaveOn(file); }
inline void GWriteField(RWDataOutStream& stream, const RWWString& value) { value.SaveOn(stream); }

// An object reference held by a counted reference; the nil object for null.
inline uint32_t GFieldSize(const GCountedRef& ref)
{
    const RWCollectable* held = ref.Get();
    return (held ? held : &RWNilObject)->RecursiveStoreSize();
}

// The medium-independent entry points of a form; they fall back on GReadField and
// GWriteField.
template <class In, class T>
bool GFormRead(In& in, T& value)
{
    return GReadField(in, value);
}

template <class Out, class T>
void GFormWrite(Out& out, const T& value)
{
    GWriteField(out, value);
}

template <class In>
bool GFormRead(In& in, GCountedRef& ref)
{
    ref.Set(GObjectBase::RestoreHeld(in));
    return ref || !GObjectBase::RestoreStopped(in);
}

template <class Out>
void GFormWrite(Out& out, const GCountedRef& ref)
{
    out << static_cast<const RWCollectable*>(ref.Get());
}

// A member list: a u32 count, then each member as an object reference. It is read in
// place (see GReadForm).
inline uint32_t GFieldSize(const GCountedPtrVector& members) { return members.StoreSize(); }

template <class In>
bool GFormRead(In& in, GCountedPtrVector& members)
{
    members.RestoreFrom(in);
    return !GObjectBase::RestoreStopped(in);
}

template <class Out>
void GFormWrite(Out& out, const GCountedPtrVector& members)
{
    members.SaveOn(out);
}

// An object held by value, stored in the recursive object form (its class id, then its
// fields) and read straight into the object.
template <class T>
struct GEmbeddedField {
    T* object;
};

template <class T>
GEmbeddedField<T> GEmbedded(T& object)
{
    return {&object};
}

template <class T>
uint32_t GFieldSize(const GEmbeddedField<T>& field)
{
    return field.object->RecursiveStoreSize();
}

template <class In, class T>
bool GFormRead(In& in, GEmbeddedField<T>& field)
{
    RWCollectable::RecursiveRestoreFrom(in, field.object);
    return !GObjectBase::RestoreStopped(in);
}

template <class Out, class T>
void GFormWrite(Out& out, const GEmbeddedField<T>& field)
{
    field.object->RecursiveSaveOn(out);
}

// The class's own form for what no other field kind covers: Self supplies
// bool ReadStored(In&), void WriteStored(Out&) const and uint32_t StoredSize() const.
// The hook reads straight into the object; it is left last in a form so that the
// fields before it are assigned only when the hook's read succeeded as well.
template <class Self>
struct GHookField {
    Self* self;
};

template <class Self>
GHookField<Self> GHook(Self& self)
{
    return {&self};
}

template <class Self>
uint32_t GFieldSize(const GHookField<Self>& hook)
{
    return hook.self->StoredSize();
}

template <class In, class Self>
bool GFormRead(In& in, GHookField<Self>& hook)
{
    return hook.self->ReadStored(in);
}

template <class Out, class Self>
void GFormWrite(Out& out, const GHookField<Self>& hook)
{
    hook.self->WriteStored(out);
}

// A form the class reads and writes itself, version word included: Self supplies
// ReadFields(In&), WriteFields(Out&) const and FieldsSize() const. For forms that are
// not a plain sequence of fields (a version rule of their own, checks between fields).
template <class Self>
struct GOwnFormOf {
    Self* self;
};

template <class Self>
GOwnFormOf<Self> GOwnForm(Self& self)
{
    return {&self};
}

// ---- Byte blocks -------------------------------------------------------------------

// A block of bytes the object owns (made with new[]; null when the length is 0): its u32
// length, then the bytes. A read checks the length against the data before it
// allocates.
struct GBlockField {
    uint8_t** data;
    uint32_t* length;
};

inline GBlockField GBlock(uint8_t*& data, uint32_t& length) { return {&data, &length}; }

inline uint32_t GFieldSize(const GBlockField& block) { return 4 + (*block.data ? *block.length : 0); }

template <class Out>
void GFormWrite(Out& out, const GBlockField& block)
{
    const uint32_t length = *block.data ? *block.length : 0;
    GWriteField(out, length);
    GWriteBytes(out, *block.data, length);
}

template <class In>
bool GFormRead(In& in, GBlockField& block)
{
    uint32_t length = 0;
    uint8_t* data = nullptr;
    if (!GReadField(in, length) || !GReadNewBlock(in, length, data))
        return false;
    delete[] *block.data;
    *block.data = data;
    *block.length = length;
    return true;
}

// The bytes of a block whose count an earlier field of the same form holds: only the
// bytes are stored. The count is the one just read, so a class with such a field is
// read through a staged copy (it declares Settle). The staged copy starts without a
// block; the block read is the copy's own (new[]).
struct GBytesField {
    uint8_t** data;
    const uint32_t* length;
};

inline GBytesField GBytes(uint8_t*& data, const uint32_t& length) { return {&data, &length}; }

inline uint32_t GFieldSize(const GBytesField& bytes) { return *bytes.data ? *bytes.length : 0; }

template <class Out>
void GFormWrite(Out& out, const GBytesField& bytes)
{
    if (*bytes.data)
        GWriteBytes(out, *bytes.data, *bytes.length);
}

template <class In>
bool GFormRead(In& in, GBytesField& bytes)
{
    uint8_t* data = nullptr;
    if (!GReadNewBlock(in, *bytes.length, data))
        return false;
    *bytes.data = data;
    return true;
}

// The same, held in a vector whose size count() gives at the time of the read (a
// function of fields read before it).
template <class Count>
struct GByteVectorField {
    std::vector<uint8_t>* bytes;
    Count count;
};

template <class Count>
GByteVectorField<Count> GBytes(std::vector<uint8_t>& bytes, Count count)
{
    return {&bytes, count};
}

template <class Count>
uint32_t GFieldSize(const GByteVectorField<Count>& field)
{
    return uint32_t(field.bytes->size());
}

template <class Out, class Count>
void GFormWrite(Out& out, const GByteVectorField<Count>& field)
{
    GWriteBytes(out, field.bytes->data(), uint32_t(field.bytes->size()));
}

template <class In, class Count>
bool GFormRead(In& in, GByteVectorField<Count>& field)
{
    const uint32_t count = field.count();
    if (!GCheckStoredCount(in, count, 1))
        return false;
    std::vector<uint8_t> bytes(count);
    if (!GReadBytes(in, bytes.data(), count))
        return false;
    field.bytes->swap(bytes);
    return true;
}

// An array of numbers whose count an earlier field of the same form holds: each item
// in turn. The count is checked against the data before the array is made.
template <class T>
struct GItemsField {
    std::unique_ptr<T[]>* items;
    const uint32_t* count;
};

template <class T>
GItemsField<T> GItems(std::unique_ptr<T[]>& items, const uint32_t& count)
{
    static_assert(std::is_arithmetic<T>::value, "items are numbers");
    return {&items, &count};
}

template <class T>
uint32_t GFieldSize(const GItemsField<T>& field)
{
    return *field.count * uint32_t(sizeof(T));
}

template <class Out, class T>
void GFormWrite(Out& out, const GItemsField<T>& field)
{
    for (uint32_t i = 0; i < *field.count; ++i)
        GWriteField(out, (*field.items)[i]);
}

template <class In, class T>
bool GFormRead(In& in, GItemsField<T>& field)
{
    const uint32_t count = *field.count;
    if (!GCheckStoredCount(in, count, sizeof(T)))
        return false;
    std::unique_ptr<T[]> items(count ? new T[count] : nullptr);
    for (uint32_t i = 0; i < count; ++i)
        if (!GReadField(in, items[i]))
            return false;
    field.items->swap(items);
    return true;
}

// A list of entries held in a vector: the u32 count, then each entry by its own fields
// (entryForm(entry) answers them as GFields does), without a version word of their
// own. The count is checked against the data, each entry taking at least what a
// default-made one stores, before the list is made. Read through a staged copy.
template <class E, class EntryForm>
struct GListField {
    std::vector<E>* entries;
    EntryForm entryForm;
};

template <class E, class EntryForm>
GListField<E, EntryForm> GList(std::vector<E>& entries, EntryForm entryForm)
{
    return {&entries, entryForm};
}

namespace GStoredDetail {

template <class Fields>
uint32_t FieldsSize(const Fields& fields)
{
    return std::apply([](const auto&... field) { return (0 + ... + GFieldSize(field)); }, fields);
}

} // namespace GStoredDetail

template <class E, class EntryForm>
uint32_t GFieldSize(const GListField<E, EntryForm>& list)
{
    uint32_t size = 4;
    for (E& entry : *list.entries)
        size += GStoredDetail::FieldsSize(list.entryForm(entry));
    return size;
}

template <class Out, class E, class EntryForm>
void GFormWrite(Out& out, const GListField<E, EntryForm>& list)
{
    GWriteField(out, uint32_t(list.entries->size()));
    for (E& entry : *list.entries)
        std::apply([&](const auto&... field) { (GFormWrite(out, field), ...); }, list.entryForm(entry));
}

template <class In, class E, class EntryForm>
bool GFormRead(In& in, GListField<E, EntryForm>& list)
{
    uint32_t count = 0;
    E sample{};
    if (!GReadField(in, count) || !GCheckStoredCount(in, count, GStoredDetail::FieldsSize(list.entryForm(sample))))
        return false;
    std::vector<E> read(count);
    for (E& entry : read) {
        auto fields = list.entryForm(entry);
        if (!std::apply([&](auto&... field) { return (GFormRead(in, field) && ...); }, fields))
            return false;
    }
    list.entries->swap(read);
    return true;
}

// ---- Objects held by plain pointer -------------------------------------------------

// An object reference the object owns through a plain pointer; null stores the nil
// object. A read keeps only a T: the kind is decided from the stored class id before
// the object is made, and anything else fails the read.
template <class T>
struct GOwnedField {
    T** object;
};

template <class T>
GOwnedField<T> GOwned(T*& object)
{
    return {&object};
}

template <class T>
bool GIsKindOfClass(const RWCollectable* object)
{
    const GObjectBase* model = dynamic_cast<const GObjectBase*>(object);
    return model && model->IsKindOf(T::kClassId);
}

template <class T>
uint32_t GFieldSize(const GOwnedField<T>& field)
{
    const RWCollectable* held = *field.object;
    return (held ? held : &RWNilObject)->RecursiveStoreSize();
}

template <class Out, class T>
void GFormWrite(Out& out, const GOwnedField<T>& field)
{
    out << static_cast<const RWCollectable*>(*field.object);
}

template <class In, class T>
bool GFormRead(In& in, GOwnedField<T>& field)
{
    T* read = dynamic_cast<T*>(RWCollectable::RestoreKindOf(in, GIsKindOfClass<T>, T::kClassId));
    if (!read && GObjectBase::RestoreStopped(in))
        return false;
    delete *field.object;
    *field.object = read;
    return true;
}

// ---- Numbers with a rule of their own ----------------------------------------------
// Each refers to one member (a number) and is read, in the default way, into a staged
// value that is assigned with the other fields.

template <class T>
struct GValueKind {
    using Value = T;
    T* member;
};

// Stored in the wider type S; a stored value the member cannot hold refuses the read.
template <class S, class T>
struct GNarrowedField : GValueKind<T> {
};

template <class S, class T>
GNarrowedField<S, T> GNarrowed(T& member)
{
    static_assert(sizeof(S) > sizeof(T), "the stored type is the wider one");
    return {{&member}};
}

// Stored as S and converted back as it stands (a signed word held unsigned).
template <class S, class T>
struct GStoredAsField : GValueKind<T> {
};

template <class S, class T>
GStoredAsField<S, T> GStoredAs(T& member)
{
    static_assert(sizeof(S) == sizeof(T), "the same width, another signedness");
    return {{&member}};
}

// Stored as it is; a stored value above the bound refuses the read (a count of entries
// of a fixed array).
template <class T>
struct GAtMostField : GValueKind<T> {
    T bound;
};

template <class T>
GAtMostField<T> GAtMost(T& member, T bound)
{
    return {{&member}, bound};
}

// Stored, but not trusted: the value read is dropped, and Settle works it out again.
// Not compared.
template <class T>
struct GRecomputedField : GValueKind<T> {
};

template <class T>
GRecomputedField<T> GRecomputed(T& member)
{
    return {{&member}};
}

// Stored and read as it is, but left out of comparisons (a cache of a worked-out value).
template <class T>
struct GUncomparedField : GValueKind<T> {
};

template <class T>
GUncomparedField<T> GUncompared(T& member)
{
    return {{&member}};
}

template <class S, class T>
uint32_t GFieldSize(const GNarrowedField<S, T>&)
{
    return sizeof(S);
}

template <class S, class T>
uint32_t GFieldSize(const GStoredAsField<S, T>&)
{
    return sizeof(S);
}

template <class T>
uint32_t GFieldSize(const GAtMostField<T>&)
{
    return sizeof(T);
}

template <class T>
uint32_t GFieldSize(const GRecomputedField<T>&)
{
    return sizeof(T);
}

template <class T>
uint32_t GFieldSize(const GUncomparedField<T>&)
{
    return sizeof(T);
}

template <class Out, class S, class T>
void GFormWrite(Out& out, const GNarrowedField<S, T>& field)
{
    GWriteField(out, S(*field.member));
}

template <class Out, class S, class T>
void GFormWrite(Out& out, const GStoredAsField<S, T>& field)
{
    GWriteField(out, S(*field.member));
}

template <class Out, class T>
void GFormWrite(Out& out, const GAtMostField<T>& field)
{
    GWriteField(out, *field.member);
}

template <class Out, class T>
void GFormWrite(Out& out, const GRecomputedField<T>& field)
{
    GWriteField(out, *field.member);
}

template <class Out, class T>
void GFormWrite(Out& out, const GUncomparedField<T>& field)
{
    GWriteField(out, *field.member);
}

template <class In, class S, class T>
bool GFormRead(In& in, GNarrowedField<S, T>& field)
{
    S stored = 0;
    if (!GReadField(in, stored))
        return false;
    if (stored < S(std::numeric_limits<T>::min()) || stored > S(std::numeric_limits<T>::max())) {
        GRefuseStored(in);
        return false;
    }
    *field.member = T(stored);
    return true;
}

template <class In, class S, class T>
bool GFormRead(In& in, GStoredAsField<S, T>& field)
{
    S stored = 0;
    if (!GReadField(in, stored))
        return false;
    *field.member = T(stored);
    return true;
}

template <class In, class T>
bool GFormRead(In& in, GAtMostField<T>& field)
{
    T stored = 0;
    if (!GReadField(in, stored))
        return false;
    if (stored > field.bound) {
        GRefuseStored(in);
        return false;
    }
    *field.member = stored;
    return true;
}

template <class In, class T>
bool GFormRead(In& in, GRecomputedField<T>& field)
{
    T dropped = 0;
    (void)field;
    return GReadField(in, dropped);
}

template <class In, class T>
bool GFormRead(In& in, GUncomparedField<T>& field)
{
    return GReadField(in, *field.member);
}

// State that is not stored: a read through a staged copy gives it the copy's value (a
// newly made object's, or what Settle worked out from the fields). Not compared.
template <class T>
struct GResetField {
    T* member;
};

template <class T>
GResetField<T> GReset(T& member)
{
    return {&member};
}

template <class T>
uint32_t GFieldSize(const GResetField<T>&)
{
    return 0;
}

template <class Out, class T>
void GFormWrite(Out&, const GResetField<T>&)
{
}

template <class In, class T>
bool GFormRead(In&, GResetField<T>&)
{
    return true;
}

// ---- Optional fields and fixed arrays (read through a staged copy) ------------------

// An i32 presence flag, then the field when the flag is 1. Any other stored flag reads
// as absent (0).
template <class Field>
struct GPresenceField {
    int32_t* present;
    Field field;
};

template <class Field>
GPresenceField<Field> GPresence(int32_t& present, Field field)
{
    return {&present, field};
}

template <class Field>
uint32_t GFieldSize(const GPresenceField<Field>& optional)
{
    return 4 + (*optional.present == 1 ? GFieldSize(optional.field) : 0);
}

template <class Out, class Field>
void GFormWrite(Out& out, const GPresenceField<Field>& optional)
{
    const int32_t present = *optional.present == 1 ? 1 : 0;
    GWriteField(out, present);
    if (present)
        GFormWrite(out, optional.field);
}

template <class In, class Field>
bool GFormRead(In& in, GPresenceField<Field>& optional)
{
    int32_t present = 0;
    if (!GReadField(in, present))
        return false;
    *optional.present = present == 1 ? 1 : 0;
    return present != 1 || GFormRead(in, optional.field);
}

// The first count entries of a fixed array, each by its own fields (entryForm(entry)
// answers them as GFields does), without a version word of their own. The count is a
// field read before, bounded by the array (GAtMost); Settle puts it back for writing.
template <class E, size_t N, class C, class EntryForm>
struct GEachField {
    E (*entries)[N];
    const C* count;
    EntryForm entryForm;

    size_t Used() const { return *count < N ? size_t(*count) : N; }
};

template <class E, size_t N, class C, class EntryForm>
GEachField<E, N, C, EntryForm> GEach(E (&entries)[N], const C& count, EntryForm entryForm)
{
    return {&entries, &count, entryForm};
}

template <class E, size_t N, class C, class EntryForm>
uint32_t GFieldSize(const GEachField<E, N, C, EntryForm>& each)
{
    uint32_t size = 0;
    for (size_t i = 0; i < each.Used(); ++i)
        std::apply([&](const auto&... field) { size += (0 + ... + GFieldSize(field)); }, each.entryForm((*each.entries)[i]));
    return size;
}

template <class Out, class E, size_t N, class C, class EntryForm>
void GFormWrite(Out& out, const GEachField<E, N, C, EntryForm>& each)
{
    for (size_t i = 0; i < each.Used(); ++i)
        std::apply([&](const auto&... field) { (GFormWrite(out, field), ...); }, each.entryForm((*each.entries)[i]));
}

template <class In, class E, size_t N, class C, class EntryForm>
bool GFormRead(In& in, GEachField<E, N, C, EntryForm>& each)
{
    if (*each.count > N) {
        GRefuseStored(in);
        return false;
    }
    for (size_t i = 0; i < each.Used(); ++i) {
        auto fields = each.entryForm((*each.entries)[i]);
        if (!std::apply([&](auto&... field) { return (GFormRead(in, field) && ...); }, fields))
            return false;
    }
    return true;
}

// ---- Comparing and exchanging fields -----------------------------------------------
// GFieldRule<F>::Same compares one field of two objects; Swap exchanges it between two
// objects (the commit of a read through a staged copy).

template <class F, class = void>
struct GFieldRule {
    static bool Same(const F& a, const F& b) { return a == b; }
    static void Swap(F& a, F& b)
    {
        using std::swap;
        swap(a, b);
    }
};

template <class F>
struct GFieldRule<F, std::enable_if_t<std::is_base_of<GValueKind<typename F::Value>, F>::value>> {
    static bool Same(const F& a, const F& b)
    {
        if constexpr (std::is_base_of<GRecomputedField<typename F::Value>, F>::value ||
                      std::is_base_of<GUncomparedField<typename F::Value>, F>::value)
            return true;
        else
            return *a.member == *b.member;
    }
    static void Swap(F& a, F& b) { std::swap(*a.member, *b.member); }
};

template <>
struct GFieldRule<GCountedRef> {
    static bool Same(const GCountedRef& a, const GCountedRef& b)
    {
        return a.Get() == b.Get() || (a && b && a->IsSame(b.Get()));
    }
    static void Swap(GCountedRef& a, GCountedRef& b) { a.Swap(b); }
};

template <>
struct GFieldRule<GBlockField> {
    static bool Same(const GBlockField& a, const GBlockField& b)
    {
        return *a.length == *b.length &&
               (*a.length == 0 || *a.data == *b.data || (*a.data && *b.data && std::memcmp(*a.data, *b.data, *a.length) == 0));
    }
    static void Swap(GBlockField& a, GBlockField& b)
    {
        std::swap(*a.data, *b.data);
        std::swap(*a.length, *b.length);
    }
};

// The count is a field of its own, compared and exchanged there.
template <>
struct GFieldRule<GBytesField> {
    static bool Same(const GBytesField& a, const GBytesField& b)
    {
        return *a.length == *b.length &&
               (*a.length == 0 || *a.data == *b.data || (*a.data && *b.data && std::memcmp(*a.data, *b.data, *a.length) == 0));
    }
    static void Swap(GBytesField& a, GBytesField& b) { std::swap(*a.data, *b.data); }
};

template <class Count>
struct GFieldRule<GByteVectorField<Count>> {
    static bool Same(const GByteVectorField<Count>& a, const GByteVectorField<Count>& b) { return *a.bytes == *b.bytes; }
    static void Swap(GByteVectorField<Count>& a, GByteVectorField<Count>& b) { a.bytes->swap(*b.bytes); }
};

// The count is a field of its own, compared and exchanged there.
template <class T>
struct GFieldRule<GItemsField<T>> {
    static bool Same(const GItemsField<T>& a, const GItemsField<T>& b)
    {
        return *a.count == *b.count && std::equal(a.items->get(), a.items->get() + *a.count, b.items->get());
    }
    static void Swap(GItemsField<T>& a, GItemsField<T>& b) { a.items->swap(*b.items); }
};

template <class T>
struct GFieldRule<GOwnedField<T>> {
    static bool Same(const GOwnedField<T>& a, const GOwnedField<T>& b)
    {
        return *a.object == *b.object || (*a.object && *b.object && (*a.object)->IsSame(*b.object));
    }
    static void Swap(GOwnedField<T>& a, GOwnedField<T>& b) { std::swap(*a.object, *b.object); }
};

template <class T>
struct GFieldRule<GResetField<T>> {
    static bool Same(const GResetField<T>&, const GResetField<T>&) { return true; }
    static void Swap(GResetField<T>& a, GResetField<T>& b) { std::swap(*a.member, *b.member); }
};

template <class Field>
struct GFieldRule<GPresenceField<Field>> {
    static bool Same(const GPresenceField<Field>& a, const GPresenceField<Field>& b)
    {
        return *a.present == *b.present && (*a.present != 1 || GFieldRule<Field>::Same(a.field, b.field));
    }
    static void Swap(GPresenceField<Field>& a, GPresenceField<Field>& b)
    {
        std::swap(*a.present, *b.present);
        GFieldRule<Field>::Swap(a.field, b.field);
    }
};

template <class T>
struct GFieldRule<GEmbeddedField<T>> {
    static bool Same(const GEmbeddedField<T>& a, const GEmbeddedField<T>& b) { return a.object->IsSame(b.object); }
};

namespace GStoredDetail {

template <class FieldsA, class FieldsB, size_t... I>
bool SameFields(const FieldsA& a, const FieldsB& b, std::index_sequence<I...>)
{
    return (GFieldRule<std::decay_t<std::tuple_element_t<I, FieldsA>>>::Same(std::get<I>(a), std::get<I>(b)) && ...);
}

template <class FieldsA, class FieldsB, size_t... I>
void SwapFields(FieldsA& a, FieldsB& b, std::index_sequence<I...>)
{
    (GFieldRule<std::decay_t<std::tuple_element_t<I, FieldsA>>>::Swap(std::get<I>(a), std::get<I>(b)), ...);
}

} // namespace GStoredDetail

template <class E, class EntryForm>
struct GFieldRule<GListField<E, EntryForm>> {
    using List = GListField<E, EntryForm>;
    static bool Same(const List& a, const List& b)
    {
        if (a.entries->size() != b.entries->size())
            return false;
        for (size_t i = 0; i < a.entries->size(); ++i) {
            auto fa = a.entryForm((*a.entries)[i]);
            auto fb = b.entryForm((*b.entries)[i]);
            if (!GStoredDetail::SameFields(fa, fb, std::make_index_sequence<std::tuple_size<decltype(fa)>::value>()))
                return false;
        }
        return true;
    }
    static void Swap(List& a, List& b) { a.entries->swap(*b.entries); }
};

template <class E, size_t N, class C, class EntryForm>
struct GFieldRule<GEachField<E, N, C, EntryForm>> {
    using Each = GEachField<E, N, C, EntryForm>;
    static bool Same(const Each& a, const Each& b)
    {
        for (size_t i = 0; i < N; ++i) {
            auto fa = a.entryForm((*a.entries)[i]);
            auto fb = b.entryForm((*b.entries)[i]);
            if (!GStoredDetail::SameFields(fa, fb, std::make_index_sequence<std::tuple_size<decltype(fa)>::value>()))
                return false;
        }
        return true;
    }
    static void Swap(Each& a, Each& b)
    {
        for (size_t i = 0; i < N; ++i) {
            auto fa = a.entryForm((*a.entries)[i]);
            auto fb = b.entryForm((*b.entries)[i]);
            GStoredDetail::SwapFields(fa, fb, std::make_index_sequence<std::tuple_size<decltype(fa)>::value>());
        }
    }
};

namespace GStoredDetail {

// A number with a rule of its own, read into a value of the staged tuple.
template <class Kind>
struct StagedValue {
    typename Kind::Value value;
    Kind field;

    explicit StagedValue(const Kind& from) : value(*from.member), field(from) { field.member = &value; }
    StagedValue(const StagedValue&) = delete;
    StagedValue& operator=(const StagedValue&) = delete;
};

template <class In, class F>
bool ReadStaged(In& in, F& staged)
{
    return GFormRead(in, staged);
}

template <class In, class Kind>
bool ReadStaged(In& in, StagedValue<Kind>& staged)
{
    return GFormRead(in, staged.field);
}

template <class Kind>
void Commit(Kind& field, StagedValue<Kind>& staged)
{
    *field.member = std::move(staged.value);
}

// A block read into a buffer of the staged tuple; freed unless it is committed.
struct StagedBlock {
    uint8_t* data = nullptr;
    uint32_t length = 0;

    explicit StagedBlock(const GBlockField&) {}
    StagedBlock(const StagedBlock&) = delete;
    StagedBlock& operator=(const StagedBlock&) = delete;
    ~StagedBlock() { delete[] data; }
};

template <class In>
bool ReadStaged(In& in, StagedBlock& staged)
{
    GBlockField field{&staged.data, &staged.length};
    return GFormRead(in, field);
}

inline void Commit(GBlockField& field, StagedBlock& staged)
{
    delete[] *field.data;
    *field.data = staged.data;
    *field.length = staged.length;
    staged.data = nullptr;
}

// What a field is read into in the default read: a copy of it, except a member list
// (its members are adopted as they arrive, so that those read before a refusal or the
// end of the data stay) and the kinds that read in place (GEmbedded, GHook). The kinds
// that need fields read before them (GBytes, GOwned, GPresence, GEach) have no staging
// here: a class using them declares Settle and is read through a staged copy.
template <class F, class = void>
struct StagedOf {
    using type = F;
};

template <class F>
struct StagedOf<F, std::enable_if_t<std::is_base_of<GValueKind<typename F::Value>, F>::value>> {
    using type = StagedValue<F>;
};

template <>
struct StagedOf<GBlockField> {
    using type = StagedBlock;
};

template <>
struct StagedOf<GBytesField> {
};

template <class Count>
struct StagedOf<GByteVectorField<Count>> {
};

template <class T>
struct StagedOf<GOwnedField<T>> {
};

template <class T>
struct StagedOf<GItemsField<T>> {
};

template <class E, class EntryForm>
struct StagedOf<GListField<E, EntryForm>> {
};

template <class Field>
struct StagedOf<GPresenceField<Field>> {
};

template <class E, size_t N, class C, class EntryForm>
struct StagedOf<GEachField<E, N, C, EntryForm>> {
};

template <class E>
using Staged = std::conditional_t<std::is_same<E, GCountedPtrVector&>::value, E,
                                  typename StagedOf<std::decay_t<E>>::type>;

template <class T>
void Commit(T& field, T& staged)
{
    if (&field != &staged)
        field = std::move(staged);
}

template <class Form, size_t... I>
uint32_t Size(const Form& form, std::index_sequence<I...>)
{
    return (4 + ... + GFieldSize(std::get<I>(form)));
}

template <class Out, class Form, size_t... I>
void Write(Out& out, uint32_t version, const Form& form, std::index_sequence<I...>)
{
    GWriteField(out, version);
    (GFormWrite(out, std::get<I>(form)), ...);
}

template <class In, class Form, size_t... I>
bool Read(In& in, uint32_t expected, Form& form, std::index_sequence<I...>)
{
    uint32_t version = 0;
    if (!GReadField(in, version) || version != expected)
        return false;
    [[maybe_unused]] std::tuple<Staged<std::tuple_element_t<I, Form>>...> staged(std::get<I>(form)...);
    if (!(ReadStaged(in, std::get<I>(staged)) && ...))
        return false;
    (Commit(std::get<I>(form), std::get<I>(staged)), ...);
    return true;
}

// The first count fields read straight into what they refer to (a staged copy's).
template <class In, class Fields, size_t... I>
bool ReadInPlace(In& in, Fields& fields, size_t count, std::index_sequence<I...>)
{
    bool arrived = true;
    ((arrived = arrived && (I >= count || GFormRead(in, std::get<I>(fields)))), ...);
    return arrived;
}

template <class Fields>
using IndicesOf = std::make_index_sequence<std::tuple_size<std::decay_t<Fields>>::value>;

} // namespace GStoredDetail

template <class Self>
uint32_t GFormSize(const GOwnFormOf<Self>& form)
{
    return form.self->FieldsSize();
}

template <class Out, class Self>
void GWriteForm(Out& out, const GOwnFormOf<Self>& form)
{
    form.self->WriteFields(out);
}

template <class In, class Self>
void GReadForm(In& in, GOwnFormOf<Self>&& form)
{
    form.self->ReadFields(in);
}

// The stored-form size of a form, version word included.
template <class Form>
uint32_t GFormSize(const Form& form)
{
    return GStoredDetail::Size(form, GStoredDetail::IndicesOf<Form>());
}

template <class Out, class Form>
void GWriteForm(Out& out, const Form& form)
{
    GStoredDetail::Write(out, kGStoredVersion, form, GStoredDetail::IndicesOf<Form>());
}

// True when the version was 1 and every field arrived; the fields are then assigned.
template <class In, class Form>
bool GReadForm(In& in, Form&& form)
{
    return GStoredDetail::Read(in, kGStoredVersion, form, GStoredDetail::IndicesOf<Form>());
}

// A level that stores nothing of its own, not even a version word.
struct GNoFieldsForm {
};

inline GNoFieldsForm GNoFields() { return {}; }

inline uint32_t GFormSize(const GNoFieldsForm&) { return 0; }

template <class Out>
void GWriteForm(Out&, const GNoFieldsForm&)
{
}

template <class In>
void GReadForm(In&, GNoFieldsForm&&)
{
}

// A form stored with another version word than 1: a read takes exactly that version.
//
//   auto StoredForm() { return GVersion<3>(GFields(width_, height_)); }
template <uint32_t Version, class Fields>
struct GVersionForm {
    Fields fields;
};

template <uint32_t Version, class... F>
GVersionForm<Version, std::tuple<F...>> GVersion(std::tuple<F...>&& fields)
{
    return {std::move(fields)};
}

template <uint32_t Version, class Fields>
uint32_t GFormSize(const GVersionForm<Version, Fields>& form)
{
    return GFormSize(form.fields);
}

template <class Out, uint32_t Version, class Fields>
void GWriteForm(Out& out, const GVersionForm<Version, Fields>& form)
{
    GStoredDetail::Write(out, Version, form.fields, GStoredDetail::IndicesOf<Fields>());
}

template <class In, uint32_t Version, class Fields>
bool GReadForm(In& in, GVersionForm<Version, Fields>&& form)
{
    return GStoredDetail::Read(in, Version, form.fields, GStoredDetail::IndicesOf<Fields>());
}

// A form stored with a version word above 1 whose older versions hold only its first
// Early fields: a stored version above Version, or below Oldest, reads nothing past the
// word, an older one reads the first Early fields, and Version reads them all. The
// fields a version holds are assigned only when all of them arrived.
//
//   auto StoredForm() { return GVersioned<2, 3>(GFields(name_, id_, level_, display_)); }
template <uint32_t Version, size_t Early, class Fields, uint32_t Oldest = 0>
struct GVersionedForm {
    Fields fields;
};

template <uint32_t Version, size_t Early, uint32_t Oldest = 0, class... F>
GVersionedForm<Version, Early, std::tuple<F...>, Oldest> GVersioned(std::tuple<F...>&& fields)
{
    static_assert(Version > kGStoredVersion && Early <= sizeof...(F), "an older version holds fewer fields");
    static_assert(Oldest <= Version, "the oldest version is not newer than the current one");
    return {std::move(fields)};
}

// What a versioned read found: the stored version, and whether every field it holds
// arrived (false for a version out of range, whose fields are not read).
struct GVersionRead {
    uint32_t version;
    bool complete;
};

namespace GStoredDetail {

template <class In, class Form, size_t... I>
GVersionRead ReadVersioned(In& in, Form& form, uint32_t newest, uint32_t oldest, size_t early,
                           std::index_sequence<I...>)
{
    GVersionRead read{0, false};
    if (!GReadField(in, read.version) || read.version > newest || read.version < oldest)
        return read;
    const size_t count = read.version == newest ? sizeof...(I) : early;
    [[maybe_unused]] std::tuple<Staged<std::tuple_element_t<I, Form>>...> staged(std::get<I>(form)...);
    bool arrived = true;
    ((arrived = arrived && (I >= count || ReadStaged(in, std::get<I>(staged)))), ...);
    if (!arrived)
        return read;
    ((I < count ? Commit(std::get<I>(form), std::get<I>(staged)) : void()), ...);
    read.complete = true;
    return read;
}

} // namespace GStoredDetail

template <uint32_t Version, size_t Early, class Fields, uint32_t Oldest>
uint32_t GFormSize(const GVersionedForm<Version, Early, Fields, Oldest>& form)
{
    return GFormSize(form.fields);
}

template <class Out, uint32_t Version, size_t Early, class Fields, uint32_t Oldest>
void GWriteForm(Out& out, const GVersionedForm<Version, Early, Fields, Oldest>& form)
{
    GStoredDetail::Write(out, Version, form.fields, GStoredDetail::IndicesOf<Fields>());
}

template <class In, uint32_t Version, size_t Early, class Fields, uint32_t Oldest>
GVersionRead GReadForm(In& in, GVersionedForm<Version, Early, Fields, Oldest>&& form)
{
    return GStoredDetail::ReadVersioned(in, form.fields, Version, Oldest, Early, GStoredDetail::IndicesOf<Fields>());
}

// ---- Reading through a staged copy, and comparing --------------------------------
// The fields of a form, whatever its version rule.

namespace GStoredDetail {

template <class... F>
std::tuple<F...>& FieldsOf(std::tuple<F...>& form)
{
    return form;
}

template <uint32_t Version, class Fields>
Fields& FieldsOf(GVersionForm<Version, Fields>& form)
{
    return form.fields;
}

template <uint32_t Version, size_t Early, class Fields, uint32_t Oldest>
Fields& FieldsOf(GVersionedForm<Version, Early, Fields, Oldest>& form)
{
    return form.fields;
}

inline std::tuple<>& FieldsOf(GNoFieldsForm&)
{
    static std::tuple<> none;
    return none;
}

// A whole form read straight into the fields it refers to: true when the version is
// one the form reads and every field it holds arrived.
template <class In, class... F>
bool ReadFormInPlace(In& in, std::tuple<F...>& form)
{
    uint32_t version = 0;
    return GReadField(in, version) && version == kGStoredVersion &&
           ReadInPlace(in, form, sizeof...(F), std::index_sequence_for<F...>());
}

template <class In, uint32_t Version, class Fields>
bool ReadFormInPlace(In& in, GVersionForm<Version, Fields>& form)
{
    uint32_t version = 0;
    return GReadField(in, version) && version == Version &&
           ReadInPlace(in, form.fields, std::tuple_size<Fields>::value, IndicesOf<Fields>());
}

template <class In, uint32_t Version, size_t Early, class Fields, uint32_t Oldest>
bool ReadFormInPlace(In& in, GVersionedForm<Version, Early, Fields, Oldest>& form)
{
    uint32_t version = 0;
    if (!GReadField(in, version) || version > Version || version < Oldest)
        return false;
    const size_t count = version == Version ? std::tuple_size<Fields>::value : Early;
    return ReadInPlace(in, form.fields, count, IndicesOf<Fields>());
}

} // namespace GStoredDetail

// True when two objects of one class hold equal stored fields at Self's level (the
// rules of each kind: numbers and texts equal, references to the same or equal
// objects, blocks of equal bytes; recomputed and uncompared fields left out).
template <class Self>
bool GSameFields(const Self& a, const Self& b)
{
    auto formA = const_cast<Self&>(a).StoredForm();
    auto formB = const_cast<Self&>(b).StoredForm();
    auto& fieldsA = GStoredDetail::FieldsOf(formA);
    return GStoredDetail::SameFields(fieldsA, GStoredDetail::FieldsOf(formB),
                                     GStoredDetail::IndicesOf<decltype(fieldsA)>());
}

// The class id a level adds to the kind-of chain; a level without one (id 0) adds none.
template <class Parent, RWClassID Id>
class GKindOfLevel : public Parent {
public:
    static constexpr RWClassID kClassId = Id;

    using Parent::Parent;

    bool IsKindOf(RWClassID classId) const override { return classId == Id || Parent::IsKindOf(classId); }
};

template <class Parent>
class GKindOfLevel<Parent, 0> : public Parent {
public:
    using Parent::Parent;
};

// True when a member function of T is declared below Parent (by T or a class between
// them), not inherited from Parent's own levels.
template <class Parent, class Member>
struct GDeclaredBelow : std::false_type {
};

template <class Parent, class R, class K>
struct GDeclaredBelow<Parent, R (K::*)()> : std::bool_constant<!std::is_base_of<K, Parent>::value> {
};

// A public StoredForm of this level (private or inherited ones are not found).
template <class T, class Parent, class = void>
struct GDeclaresForm : std::false_type {
};

template <class T, class Parent>
struct GDeclaresForm<T, Parent, std::void_t<decltype(&T::StoredForm)>>
    : GDeclaredBelow<Parent, decltype(&T::StoredForm)> {
};

// A public bool Settle() of this level: the level is read through a staged copy.
template <class T, class Parent, class = void>
struct GDeclaresSettle : std::false_type {
};

template <class T, class Parent>
struct GDeclaresSettle<T, Parent, std::void_t<decltype(&T::Settle)>>
    : std::bool_constant<GDeclaredBelow<Parent, decltype(&T::Settle)>::value &&
                         std::is_same<decltype(std::declval<T&>().Settle()), bool>::value> {
};

// One level of the class tree: kind-of and the stored form of the fields that Self (or
// a class between it and Parent) declares in StoredForm. No class id of its own: an
// abstract level, or one whose subclasses are what is stored.
template <class Self, class Parent, RWClassID Id>
class GStoredLevel : public GKindOfLevel<Parent, Id> {
public:
    using GKindOfLevel<Parent, Id>::GKindOfLevel;

    uint32_t BinaryStoreSize() const override
    {
        CheckForm();
        return Parent::BinaryStoreSize() + GFormSize(Form());
    }

    void RestoreGuts(RWDataInStream& stream) override
    {
        Parent::RestoreGuts(stream);
        Me().ReadForm(stream);
    }

    void RestoreGuts(RWBinaryFile& file) override
    {
        Parent::RestoreGuts(file);
        Me().ReadForm(file);
    }

    void SaveGuts(RWDataOutStream& stream) const override
    {
        Parent::SaveGuts(stream);
        GWriteForm(stream, Form());
    }

    void SaveGuts(RWBinaryFile& file) const override
    {
        Parent::SaveGuts(file);
        GWriteForm(file, Form());
    }

    // Reads this level's fields; a class that must do more around the read declares its
    // own ReadForm and calls GReadForm itself.
    template <class In>
    void ReadForm(In& in)
    {
        CheckForm();
        if constexpr (GDeclaresSettle<Self, Parent>::value) {
            Self staged;
            auto stagedForm = staged.StoredForm();
            if (!GStoredDetail::ReadFormInPlace(in, stagedForm) || !staged.Settle())
                return;
            auto form = Me().StoredForm();
            auto& fields = GStoredDetail::FieldsOf(form);
            GStoredDetail::SwapFields(fields, GStoredDetail::FieldsOf(stagedForm),
                                      GStoredDetail::IndicesOf<decltype(fields)>());
        } else {
            GReadForm(in, Me().StoredForm());
        }
    }

protected:
    // The class check plus the stored fields: the same object, or one of the same class
    // whose parent part is the same (Parent::IsSame) and whose fields here are equal.
    bool SameStored(const GObjectBase* other) const
    {
        if (other == this)
            return true;
        const Self* same = GSameClass<Self>(this, other);
        return same && Parent::IsSame(other) && GSameFields(static_cast<const Self&>(*this), *same);
    }

private:
    static constexpr void CheckForm()
    {
        static_assert(GDeclaresForm<Self, Parent>::value,
                      "a persistent class declares a public StoredForm() (GNoFields() when it stores nothing)");
    }
    Self& Me() { return static_cast<Self&>(*this); }
    // Saving and sizing only read the fields the form refers to.
    auto Form() const { return const_cast<GStoredLevel*>(this)->Me().StoredForm(); }
};

// A concrete persistent class: a stored level with its own class id and registration
// under Self::kClassName. CreateNew and Copy stay in the class, whose own type they
// return (a base cannot name it while the class is still incomplete). With
// OwnStorageId, StorageClassId is this class id, in subclasses too; otherwise the parent's.
template <class Self, class Parent, RWClassID Id, bool OwnStorageId = false>
class GPersistent : public GStoredLevel<Self, Parent, Id> {
public:
    using GStoredLevel<Self, Parent, Id>::GStoredLevel;

    RWClassID ClassId() const override
    {
        // Naming the registration here makes every class that is ever made register.
        (void)&registration_;
        return Id;
    }

    RWClassID StorageClassId() const override { return OwnStorageId ? Id : Parent::StorageClassId(); }

private:
    static RWCollectable* Create() { return new Self; }
    static inline const RWFactoryRegistration registration_{&GPersistent::Create, Id, Self::kClassName};
};
