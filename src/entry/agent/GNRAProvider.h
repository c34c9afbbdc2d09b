// The module's link to the network registry agent: a separate program that talks to the
// printer and writes what it learns into the printer's registry data. One provider is
// made at module load and registered under "QZNRA 1.0"; callers find it through the
// provider registry, open a device query through it (GNRADeviceQuery) and run that.
//
// The agent is reached through its top-level window of class "qznra" and the registered
// message "QZNRA_CLIENT_REQUEST"; a request is that message with wParam 3 and the request
// kind as lParam, and succeeds when the agent answers 0. The link is found on demand and
// not re-checked while held: a request to a window that has gone away fails, and the
// caller disconnects.
#pragma once

#include "model/GProvider.h"
#include "model/MPersistentComposite.h"

#include <windows.h>

#include <cstdint>

class GDriverObject;
class GNRADeviceQuery;

class GNRAProvider : public GPersistent<GNRAProvider, GProvider, 957> {
public:
    static constexpr const char* kClassName = "GNRAProvider";
    GNRAProvider* CreateNew() const override { return new GNRAProvider; }
    GNRAProvider* Copy() const override { return new GNRAProvider(*this); }

    // The name the module registers its provider under.
    static constexpr const char* kRegisteredName = "QZNRA 1.0";
    // The only service the provider offers: device queries through the agent.
    static constexpr uint32_t kAgentCapability = 0x10000;
    static constexpr const wchar_t* kAgentWindowClass = L"qznra";
    static constexpr const wchar_t* kRequestMessageName = L"QZNRA_CLIENT_REQUEST";
    static constexpr WPARAM kRequestWord = 3;
    // One refresh of the printer's values is a request of kind 6, then one of kind 1.
    static constexpr LPARAM kRefreshKinds[2] = {6, 1};

    // Not connected; both lists empty.
    GNRAProvider();
    // Window and message copied; the lists share their members with the source's.
    GNRAProvider(const GNRAProvider& other);
    GNRAProvider& operator=(const GNRAProvider& other);
    ~GNRAProvider() override;

    // Same class and id, the same agent link and both lists equal member by member.
    bool IsSame(const GObjectBase* other) const override;

    // A device query for the driver object given as context, named by the channel
    // argument; null for any other mask, without a context or without memory. The
    // caller deletes it.
    void* OpenSecondary(const RWWString& name, const RWCString& key, uint32_t mask, void* context) override;
    GNRADeviceQuery* CreateQuery(GDriverObject* driver, const RWCString& channel);

    uint32_t GetCapabilities() const override { return kAgentCapability; }
    // For the agent capability: whether the agent can be reached now. Anything else: false.
    bool Supports(uint32_t mask) const override;

    // True when the agent window and the registered message are known, looking both up
    // when either is missing.
    bool Connect() const;
    // Sends one request of the kind: true when the agent answered 0.
    bool Request(LPARAM kind) const;
    // Forgets the window and the message: 1.
    int Disconnect() const;

    HWND GetAgentWindow() const { return window_; }
    UINT GetRequestMessage() const { return message_; }

    // The two lists of agent objects; nothing in this module fills them.
    MPersistentComposite& FirstList() { return first_; }
    MPersistentComposite& SecondList() { return second_; }
    const MPersistentComposite& FirstList() const { return first_; }
    const MPersistentComposite& SecondList() const { return second_; }

    // The stored form after the provider's own part: the version word 1, then both lists.
    auto StoredForm() { return GOwnForm(*this); }
    // 0 when both lists arrived. Another version reads nothing more, leaves the lists as
    // they are and answers 1; so does a list that did not arrive. Version 1 also clears
    // the agent link, which never outlives a process.
    template <class In>
    int ReadFields(In& in);
    template <class Out>
    void WriteFields(Out& out) const;
    uint32_t FieldsSize() const;

private:
    // Looked up on demand, also when only asked whether the service is available.
    mutable HWND window_;
    mutable UINT message_;
    MPersistentComposite first_;
    MPersistentComposite second_;
};
