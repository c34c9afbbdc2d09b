// The persistent-class base: a class states its class id, its parent and its stored
// fields once, and gets from here its identity (class id, kind-of along the ancestors),
// the registration with the class factory, and saving, restoring and sizing on a binary
// file and on the typed streams.
//
//   class GThing : public GPersistent<GThing, GObjectBase, 900> {
//   public:
//       static constexpr const char* kClassName = "GThing";
//       GThing* CreateNew() const override { return new GThing; }
//       GThing* Copy() const override { return new GThing(*this); }
//       auto StoredForm() { return GFields(count_, name_); }
//       ...
//   };
//
// A stored form is the parent's part, a u32 version word 1, then the fields in order;
// a class that declares no StoredForm (it must be public to be found) stores nothing of
// its own. Fields are read into temporaries and assigned only when the version is 1 and
// every field arrived (a member list excepted, see GReadForm). A field is a number, an
// RWCString or RWWString, a GCountedRef (an object reference), a member list
// (GCountedPtrVector), GEmbedded (an object held by value) or GHook (the class's own
// ReadStored / WriteStored / StoredSize). A form that is no plain sequence of fields
// (its own version rule, checks between fields) is GOwnForm: the class reads and
// writes it whole.
#pragma once

#include "foundation/RWFactory.h"
#include "foundation/RWWString.h"
#include "model/GCountedPtrVector.h"
#include "model/GObjectBase.h"
#include "model/GStoredFields.h"

#include <tuple>
#include <type_traits>
#include <utility>

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

namespace GStoredDetail {

// Fields are read into copies, except a member list: its members are adopted as they
// arrive, so that those read before a refusal or the end of the data stay.
template <class E>
using Staged = std::conditional_t<std::is_same<E, GCountedPtrVector&>::value, E, std::decay_t<E>>;

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
void Write(Out& out, const Form& form, std::index_sequence<I...>)
{
    GWriteField(out, kGStoredVersion);
    (GFormWrite(out, std::get<I>(form)), ...);
}

template <class In, class Form, size_t... I>
bool Read(In& in, Form& form, std::index_sequence<I...>)
{
    uint32_t version = 0;
    if (!GReadField(in, version) || version != kGStoredVersion)
        return false;
    [[maybe_unused]] std::tuple<Staged<std::tuple_element_t<I, Form>>...> staged(std::get<I>(form)...);
    if (!(GFormRead(in, std::get<I>(staged)) && ...))
        return false;
    (Commit(std::get<I>(form), std::get<I>(staged)), ...);
    return true;
}

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
    return GStoredDetail::Size(form, std::make_index_sequence<std::tuple_size<Form>::value>());
}

template <class Out, class Form>
void GWriteForm(Out& out, const Form& form)
{
    GStoredDetail::Write(out, form, std::make_index_sequence<std::tuple_size<Form>::value>());
}

// True when the version was 1 and every field arrived; the fields are then assigned.
template <class In, class Form>
bool GReadForm(In& in, Form&& form)
{
    return GStoredDetail::Read(in, form, std::make_index_sequence<std::tuple_size<std::decay_t<Form>>::value>());
}

// A form stored with a version word above 1 whose older versions hold only its first
// Early fields: a stored version above Version reads nothing past the word, an older one
// (0 included) reads the first Early fields, and Version reads them all. The fields a
// version holds are assigned only when all of them arrived.
//
//   auto StoredForm() { return GVersioned<2, 3>(GFields(name_, id_, level_, display_)); }
template <uint32_t Version, size_t Early, class Fields>
struct GVersionedForm {
    Fields fields;
};

template <uint32_t Version, size_t Early, class... F>
GVersionedForm<Version, Early, std::tuple<F...>> GVersioned(std::tuple<F...>&& fields)
{
    static_assert(Version > kGStoredVersion && Early <= sizeof...(F), "an older version holds fewer fields");
    return {std::move(fields)};
}

// What a versioned read found: the stored version, and whether every field it holds
// arrived (false for a newer version, whose fields are not read).
struct GVersionRead {
    uint32_t version;
    bool complete;
};

namespace GStoredDetail {

template <class In, class Form, size_t... I>
GVersionRead ReadVersioned(In& in, Form& form, uint32_t newest, size_t early, std::index_sequence<I...>)
{
    GVersionRead read{0, false};
    if (!GReadField(in, read.version) || read.version > newest)
        return read;
    const size_t count = read.version == newest ? sizeof...(I) : early;
    [[maybe_unused]] std::tuple<Staged<std::tuple_element_t<I, Form>>...> staged(std::get<I>(form)...);
    bool arrived = true;
    ((arrived = arrived && (I >= count || GFormRead(in, std::get<I>(staged)))), ...);
    if (!arrived)
        return read;
    ((I < count ? Commit(std::get<I>(form), std::get<I>(staged)) : void()), ...);
    read.complete = true;
    return read;
}

} // namespace GStoredDetail

template <uint32_t Version, size_t Early, class Fields>
uint32_t GFormSize(const GVersionedForm<Version, Early, Fields>& form)
{
    return GFormSize(form.fields);
}

template <class Out, uint32_t Version, size_t Early, class Fields>
void GWriteForm(Out& out, const GVersionedForm<Version, Early, Fields>& form)
{
    GWriteField(out, Version);
    std::apply([&](const auto&... field) { (GFormWrite(out, field), ...); }, form.fields);
}

template <class In, uint32_t Version, size_t Early, class Fields>
GVersionRead GReadForm(In& in, GVersionedForm<Version, Early, Fields>&& form)
{
    return GStoredDetail::ReadVersioned(in, form.fields, Version, Early,
                                        std::make_index_sequence<std::tuple_size<Fields>::value>());
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

// True when StoredForm of T is declared below Parent (by T or a class between them),
// not inherited from Parent's own levels.
template <class Parent, class Member>
struct GDeclaredBelow : std::false_type {
};

template <class Parent, class R, class K>
struct GDeclaredBelow<Parent, R (K::*)()> : std::bool_constant<!std::is_base_of<K, Parent>::value> {
};

template <class T, class Parent, class = void>
struct GDeclaresForm : std::false_type {
};

template <class T, class Parent>
struct GDeclaresForm<T, Parent, std::void_t<decltype(&T::StoredForm)>>
    : GDeclaredBelow<Parent, decltype(&T::StoredForm)> {
};

// One level of the class tree: kind-of and the stored form of the fields that Self (or
// a class between it and Parent) declares in StoredForm. A level that declares none
// stores nothing of its own, not even a version word. No class id of its own: an
// abstract level, or one whose subclasses are what is stored.
template <class Self, class Parent, RWClassID Id>
class GStoredLevel : public GKindOfLevel<Parent, Id> {
public:
    using GKindOfLevel<Parent, Id>::GKindOfLevel;

    uint32_t BinaryStoreSize() const override
    {
        if constexpr (GDeclaresForm<Self, Parent>::value)
            return Parent::BinaryStoreSize() + GFormSize(Form());
        else
            return Parent::BinaryStoreSize();
    }

    void RestoreGuts(RWDataInStream& stream) override
    {
        Parent::RestoreGuts(stream);
        if constexpr (GDeclaresForm<Self, Parent>::value)
            Me().ReadForm(stream);
    }

    void RestoreGuts(RWBinaryFile& file) override
    {
        Parent::RestoreGuts(file);
        if constexpr (GDeclaresForm<Self, Parent>::value)
            Me().ReadForm(file);
    }

    void SaveGuts(RWDataOutStream& stream) const override
    {
        Parent::SaveGuts(stream);
        if constexpr (GDeclaresForm<Self, Parent>::value)
            GWriteForm(stream, Form());
    }

    void SaveGuts(RWBinaryFile& file) const override
    {
        Parent::SaveGuts(file);
        if constexpr (GDeclaresForm<Self, Parent>::value)
            GWriteForm(file, Form());
    }

    // Reads this level's fields; a class that must do more around the read declares its
    // own ReadForm and calls GReadForm itself.
    template <class In>
    void ReadForm(In& in)
    {
        GReadForm(in, Me().StoredForm());
    }

private:
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
