// The contexts the driver has handed to extension modules and that still live. A module
// passes its context back as an opaque pointer; the driver's exports look it up here
// before they use it, so that a stale or made-up pointer is refused rather than followed.
#pragma once

class ExtensionContextRegistry {
public:
    enum Kind { kRenderingHost = 1, kUIHost = 2 };

    static void Enter(const void* context, Kind kind);
    static void Leave(const void* context);
    // Whether the context lives and is of the kind.
    static bool IsLive(const void* context, Kind kind);
};
