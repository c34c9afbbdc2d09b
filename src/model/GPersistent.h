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
// own, not even a version word); a missing or private one does not compile. The field
// kinds (model/GStoredKinds.h): a number, an RWCString or RWWString, a GCountedRef (an
// object reference), GOwned (an object reference held by a plain pointer or a
// unique_ptr), a member list (GCountedPtrVector), GEmbedded (an object held by value),
// a byte block (GBlock: its length, then the bytes; GBytes: bytes whose count an earlier
// field gives; GItems: numbers likewise), a number stored in another width or bounded
// (GNarrowed, GStoredAs, GAtMost), a number stored but worked out again after a read
// (GRecomputed) or left out of comparisons (GUncompared), state a read resets (GReset),
// an optional field (GPresence), a fixed array or a counted list of entries (GArray,
// GEach, GList), or GHook (the class's own ReadStored / WriteStored / StoredSize).
// GVersion stores another version word; GVersioned a version whose older versions hold
// fewer fields. A form that is no sequence of these is GOwnForm: the class reads and
// writes it whole.
//
// Comparing. SameStored(other) is a class's whole IsSame when no other rule applies:
// the same class, the parent's IsSame, and GSameFields over this level's fields.
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
#include "model/GObjectBase.h"
#include "model/GStoredKinds.h"

#include <tuple>
#include <type_traits>
#include <utility>

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

// An owned object read into the staged tuple; deleted unless it is committed.
template <class T>
struct StagedOwned {
    std::unique_ptr<T> read;

    template <class Holder>
    explicit StagedOwned(const GOwnedField<T, Holder>&)
    {
    }
};

template <class In, class T>
bool ReadStaged(In& in, StagedOwned<T>& staged)
{
    T* read = nullptr;
    if (!GReadOwned(in, read))
        return false;
    staged.read.reset(read);
    return true;
}

template <class T, class Holder>
void Commit(GOwnedField<T, Holder>& field, StagedOwned<T>& staged)
{
    field.Reset(staged.read.release());
}

// What a field is read into in the default read: a copy of it, except a member list
// (its members are adopted as they arrive, so that those read before a refusal or the
// end of the data stay) and the kinds that read in place (GEmbedded, GHook). The kinds
// that need fields read before them or hold many (GBytes, GItems, GList, GPresence,
// GEach) have no staging here: a class using them declares Settle and is read through
// a staged copy.
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

template <class T, class Holder>
struct StagedOf<GOwnedField<T, Holder>> {
    using type = StagedOwned<T>;
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
    // The same answer without an object, for the class factory.
    static bool KindOfClass(RWClassID classId) { return classId == Id || Parent::KindOfClass(classId); }
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
    static inline const RWFactoryRegistration registration_{&GPersistent::Create, Id, Self::kClassName,
                                                            &RWKindOfClass<Self>};
};
