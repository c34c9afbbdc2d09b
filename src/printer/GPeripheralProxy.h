// Stands in the output chain for an add-on peripheral that lives in a separately loaded
// library. The library exports a create entry and a destroy entry, named by the kind of
// stage the add-on serves; the proxy has the create entry make the add-on, forwards every
// command to it, and hands it back to the destroy entry before unloading the library.
//
// Modes: 1 makes the add-on at construction, or on first use after a restore, and keeps
// it; 0 makes it for each command and takes it back after; any other mode never makes it.
//
// The library path travels inside stored settings, so it is data: a restore never loads
// anything, and a library is loaded only from a full path inside the module's folder or
// the driver directory. Any other path is refused: commands pass on unchanged and
// WasRefused tells why nothing was made.
#pragma once

#include "foundation/RWWString.h"
#include "model/GCountedRef.h"
#include "model/GDynamicLibrary.h"
#include "printer/GPeripheral.h"

#include <cstdint>

class GPeripheralProxy : public GPersistent<GPeripheralProxy, GPeripheral, 779> {
public:
    static constexpr const char* kClassName = "GPeripheralProxy";
    enum Mode : int32_t { kPerCommand = 0, kKept = 1, kNever = 2 };

    GPeripheralProxy();
    // Holds the given peripheral; it was made by no create entry, so it is simply released.
    explicit GPeripheralProxy(GPeripheral* addOn);
    GPeripheralProxy(const RWWString& libraryPath, int32_t kind, int32_t mode);
    // Shares the add-on; the library is loaded again for the copy when it is loaded.
    GPeripheralProxy(const GPeripheralProxy& other);
    GPeripheralProxy& operator=(const GPeripheralProxy&) = delete;
    ~GPeripheralProxy() override;

    GPeripheralProxy* CreateNew() const override { return new GPeripheralProxy; }
    GPeripheralProxy* Copy() const override { return new GPeripheralProxy(*this); }
    bool IsSame(const GObjectBase* other) const override;
    GCommand* ReceiveCommand(GCommand* command) override;
    uint32_t QueryFlags() override { return 0; }

    bool HasAddOn() const { return !addOn_.IsNull(); }
    GPeripheral* GetAddOn() const { return static_cast<GPeripheral*>(addOn_.Get()); }
    const RWWString& GetCreateEntry() const { return createEntry_; }
    const RWWString& GetDestroyEntry() const { return destroyEntry_; }
    const GDynamicLibrary& GetLibrary() const { return library_; }
    int32_t GetKind() const { return kind_; }
    int32_t GetMode() const { return mode_; }
    // True once a library path was refused for not being a trusted full path.
    bool WasRefused() const { return refused_; }

    // The entry names of a kind (empty outside 0 to 4).
    static RWWString CreateEntryOf(int32_t kind);
    static RWWString DestroyEntryOf(int32_t kind);

    // The library, both entry names, the mode, the kind, then the add-on reference.
    auto StoredForm() { return GFields(GHook(*this)); }
    template <class In>
    bool ReadStored(In& in);
    template <class Out>
    void WriteStored(Out& out) const;
    uint32_t StoredSize() const;

private:
    // Loads the library and asks the create entry for an add-on; null when either fails.
    GPeripheral* CreateAddOn();
    // Hands a made add-on back to the destroy entry and unloads the library.
    void DestroyAddOn();
    // Makes and holds an add-on.
    void HoldCreated();

    GCountedRef addOn_;
    RWWString createEntry_;
    RWWString destroyEntry_;
    int32_t kind_;
    int32_t mode_;
    GDynamicLibrary library_;
    // True when a create entry made the held add-on: only such an add-on goes to a
    // destroy entry.
    bool made_;
    // Mode 1: the add-on was asked for once (made or not), so it is not asked again.
    bool asked_;
    bool refused_;
};
