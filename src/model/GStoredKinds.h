// The field kinds of the persistent base (model/GPersistent.h): for each kind its
// stored size, its write, its read (straight into what it refers to) and its rule
// (GFieldRule) for comparing two objects' fields and exchanging them after a staged
// read. A class describes its stored form with these in StoredForm.
#pragma once

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

// ---- Objects owned through a pointer -----------------------------------------------

// An object reference the object owns through a plain pointer or a unique_ptr; null
// stores the nil object. A read keeps only a T: the kind is decided from the stored
// class id before the object is made, and anything else fails the read.
template <class T, class Holder>
struct GOwnedField;

template <class T>
struct GOwnedField<T, T*> {
    T** holder;

    T* Get() const { return *holder; }
    // Deletes what was held.
    void Reset(T* object)
    {
        delete *holder;
        *holder = object;
    }
};

template <class T>
struct GOwnedField<T, std::unique_ptr<T>> {
    std::unique_ptr<T>* holder;

    T* Get() const { return holder->get(); }
    void Reset(T* object) { holder->reset(object); }
};

template <class T>
GOwnedField<T, T*> GOwned(T*& object)
{
    return {&object};
}

template <class T>
GOwnedField<T, std::unique_ptr<T>> GOwned(std::unique_ptr<T>& object)
{
    return {&object};
}

template <class T>
bool GIsKindOfClass(const RWCollectable* object)
{
    const GObjectBase* model = dynamic_cast<const GObjectBase*>(object);
    return model && model->IsKindOf(T::kClassId);
}

// The object read, or null (a stored null as well); false when the read failed.
template <class In, class T>
bool GReadOwned(In& in, T*& read)
{
    read = dynamic_cast<T*>(RWCollectable::RestoreKindOf(in, GIsKindOfClass<T>, T::kClassId));
    return read || !GObjectBase::RestoreStopped(in);
}

template <class T, class Holder>
uint32_t GFieldSize(const GOwnedField<T, Holder>& field)
{
    const RWCollectable* held = field.Get();
    return (held ? held : &RWNilObject)->RecursiveStoreSize();
}

template <class Out, class T, class Holder>
void GFormWrite(Out& out, const GOwnedField<T, Holder>& field)
{
    out << static_cast<const RWCollectable*>(field.Get());
}

template <class In, class T, class Holder>
bool GFormRead(In& in, GOwnedField<T, Holder>& field)
{
    T* read = nullptr;
    if (!GReadOwned(in, read))
        return false;
    field.Reset(read);
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

// Stored as S and converted back as it stands (a signed word held unsigned, a long
// held as int32_t).
template <class S, class T>
struct GStoredAsField : GValueKind<T> {
};

template <class S, class T>
GStoredAsField<S, T> GStoredAs(T& member)
{
    static_assert(sizeof(S) == sizeof(T), "the same width, another type");
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
// GArray stores every entry, no count.
template <class E, size_t N, class C, class EntryForm>
struct GEachField {
    E (*entries)[N];
    const C* count;
    EntryForm entryForm;

    size_t Used() const { return !count ? N : *count < N ? size_t(*count) : N; }
};

template <class E, size_t N, class C, class EntryForm>
GEachField<E, N, C, EntryForm> GEach(E (&entries)[N], const C& count, EntryForm entryForm)
{
    return {&entries, &count, entryForm};
}

template <class E, size_t N, class EntryForm>
GEachField<E, N, size_t, EntryForm> GArray(E (&entries)[N], EntryForm entryForm)
{
    return {&entries, nullptr, entryForm};
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
    if (each.count && *each.count > N) {
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

template <class T, class Holder>
struct GFieldRule<GOwnedField<T, Holder>> {
    static bool Same(const GOwnedField<T, Holder>& a, const GOwnedField<T, Holder>& b)
    {
        return a.Get() == b.Get() || (a.Get() && b.Get() && a.Get()->IsSame(b.Get()));
    }
    static void Swap(GOwnedField<T, Holder>& a, GOwnedField<T, Holder>& b) { std::swap(*a.holder, *b.holder); }
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
