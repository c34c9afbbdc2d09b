// A one-pointer counted reference to a model object: it holds one reference while it
// points to the object, and the last reference dropped deletes the object.
#pragma once

class GObjectBase;

class GCountedRef {
public:
    GCountedRef() : object_(nullptr) {}
    // Takes a reference on the object (null allowed).
    explicit GCountedRef(GObjectBase* object);
    GCountedRef(const GCountedRef& other);
    GCountedRef(GCountedRef&& other) noexcept : object_(other.object_) { other.object_ = nullptr; }
    // Takes the new reference before it releases the old one, so assigning a reference
    // to an object that only the old one kept alive is safe.
    GCountedRef& operator=(const GCountedRef& other);
    GCountedRef& operator=(GCountedRef&& other) noexcept;
    ~GCountedRef();

    GObjectBase* Get() const { return object_; }
    GObjectBase* operator->() const { return object_; }
    GObjectBase& operator*() const { return *object_; }
    bool IsNull() const { return object_ == nullptr; }
    explicit operator bool() const { return object_ != nullptr; }

    // Points to another object (null allowed), with the same order as assignment.
    void Set(GObjectBase* object);
    // Hands the held reference to the caller and becomes null.
    GObjectBase* Detach();
    // Exchanges the objects of two references; no count changes.
    void Swap(GCountedRef& other) noexcept
    {
        GObjectBase* object = object_;
        object_ = other.object_;
        other.object_ = object;
    }

private:
    GObjectBase* object_;
};
