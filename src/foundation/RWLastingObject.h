// An object that lasts as long as the module's image: made on first use in the module's
// own static storage and never destroyed, so code that runs after the static destructors
// (objects that outlive them when the process ends) still finds it. It takes no heap
// block of its own; what it holds must let its blocks go when it empties, so that
// nothing of it outlives an unload.
#pragma once

#include <new>

template <class T>
class RWLastingObject {
public:
    T& Get()
    {
        // Function-local statics are made once, even when threads race to the first use.
        static T* const made = new (storage_) T;
        return *made;
    }

private:
    alignas(T) unsigned char storage_[sizeof(T)];
};
