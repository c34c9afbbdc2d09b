// An object that lasts as long as the module's image: made on first use in the module's
// own static storage and never destroyed, so code that runs after the static destructors
// (objects that outlive them when the process ends) still finds it. It takes no heap
// block of its own; what it holds must let its blocks go when it empties, so that
// nothing of it outlives an unload.
//
// Each instance holds its own object, even beside another of the same type. An instance
// is constant-initialised (zeroed storage, an unmade state), so a use from another
// file's static initialiser finds it ready whatever the order of initialisation.
#pragma once

#include <atomic>
#include <new>
#include <thread>

template <class T>
class RWLastingObject {
public:
    constexpr RWLastingObject() = default;
    RWLastingObject(const RWLastingObject&) = delete;
    RWLastingObject& operator=(const RWLastingObject&) = delete;

    T& Get()
    {
        if (state_.load(std::memory_order_acquire) != kMade)
            Make();
        return *std::launder(reinterpret_cast<T*>(storage_));
    }

private:
    enum : int { kUnmade, kMaking, kMade };

    // The first caller makes the object; callers racing it wait until it is made.
    void Make()
    {
        int expected = kUnmade;
        if (state_.compare_exchange_strong(expected, kMaking, std::memory_order_acq_rel)) {
            new (storage_) T;
            state_.store(kMade, std::memory_order_release);
            return;
        }
        while (state_.load(std::memory_order_acquire) != kMade)
            std::this_thread::yield();
    }

    std::atomic<int> state_{kUnmade};
    alignas(T) unsigned char storage_[sizeof(T)] = {};
};
