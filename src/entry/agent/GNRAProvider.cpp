#include "entry/agent/GNRAProvider.h"

#include "entry/agent/GNRADeviceQuery.h"
#include "entry/module/ModuleLifetime.h"
#include "foundation/RWBinaryFile.h"
#include "foundation/RWDataInStream.h"
#include "foundation/RWDataOutStream.h"
#include "model/GTextConverter.h"

#include <new>

namespace {
const uint32_t kVersion = 1;
const int kRestored = 0;
const int kNotRestored = 1;

GProvider* MakeAgentProvider() { return new (std::nothrow) GNRAProvider; }

// The module makes its agent provider through this maker from its first attach on.
const bool g_makerRegistered =
    (ModuleLifetime::SetAgentProviderMaker(&MakeAgentProvider, GNRAProvider::kRegisteredName), true);
} // namespace

GNRAProvider::GNRAProvider() : window_(nullptr), message_(0)
{
    first_.MarkEmbedded();
    second_.MarkEmbedded();
}

GNRAProvider::GNRAProvider(const GNRAProvider& other)
    : GPersistent(other), window_(other.window_), message_(other.message_), first_(other.first_),
      second_(other.second_)
{
    first_.MarkEmbedded();
    second_.MarkEmbedded();
}

GNRAProvider& GNRAProvider::operator=(const GNRAProvider& other)
{
    GPersistent::operator=(other);
    window_ = other.window_;
    message_ = other.message_;
    first_ = other.first_;
    second_ = other.second_;
    return *this;
}

GNRAProvider::~GNRAProvider() {}

// The provider base never compares equal, so the comparison starts at the root's.
bool GNRAProvider::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    const GNRAProvider* provider = GSameClass<GNRAProvider>(this, other);
    return provider && GObjectBase::IsSame(other) && provider->window_ == window_ &&
           provider->message_ == message_ && first_.IsSame(&provider->first_) && second_.IsSame(&provider->second_);
}

void* GNRAProvider::OpenSecondary(const RWWString& name, const RWCString&, uint32_t mask, void* context)
{
    if (mask != kAgentCapability || !context)
        return nullptr;
    RWCString channel;
    ToNarrowString(name, channel);
    return GNRADeviceQuery::AsService(CreateQuery(static_cast<GDriverObject*>(context), channel));
}

GNRADeviceQuery* GNRAProvider::CreateQuery(GDriverObject* driver, const RWCString& channel)
{
    return new (std::nothrow) GNRADeviceQuery(this, channel, driver, 0);
}

bool GNRAProvider::Supports(uint32_t mask) const { return mask == kAgentCapability && Connect(); }

bool GNRAProvider::Connect() const
{
    if (window_ && message_)
        return true;
    message_ = RegisterWindowMessageW(kRequestMessageName);
    window_ = FindWindowW(kAgentWindowClass, nullptr);
    return window_ && message_;
}

// SendMessageW answers 0 for a window that no longer exists too, which would pass for the
// agent's success: a request fails unless the message reached the window.
bool GNRAProvider::Request(LPARAM kind) const
{
    if (!Connect() || !IsWindow(window_))
        return false;
    SetLastError(ERROR_SUCCESS);
    const LRESULT answer = SendMessageW(window_, message_, kRequestWord, kind);
    return answer == 0 && GetLastError() == ERROR_SUCCESS;
}

int GNRAProvider::Disconnect() const
{
    window_ = nullptr;
    message_ = 0;
    return 1;
}

template <class In>
int GNRAProvider::ReadFields(In& in)
{
    uint32_t version = 0;
    if (!GReadField(in, version) || version != kVersion)
        return kNotRestored;
    window_ = nullptr;
    message_ = 0;
    auto first = GEmbedded(first_);
    auto second = GEmbedded(second_);
    if (!GFormRead(in, first))
        return kNotRestored;
    return GFormRead(in, second) ? kRestored : kNotRestored;
}

template <class Out>
void GNRAProvider::WriteFields(Out& out) const
{
    GWriteField(out, kVersion);
    GFormWrite(out, GEmbedded(const_cast<MPersistentComposite&>(first_)));
    GFormWrite(out, GEmbedded(const_cast<MPersistentComposite&>(second_)));
}

uint32_t GNRAProvider::FieldsSize() const
{
    return 4 + GFieldSize(GEmbedded(const_cast<MPersistentComposite&>(first_))) +
           GFieldSize(GEmbedded(const_cast<MPersistentComposite&>(second_)));
}

template int GNRAProvider::ReadFields(RWBinaryFile&);
template int GNRAProvider::ReadFields(RWDataInStream&);
template void GNRAProvider::WriteFields(RWBinaryFile&) const;
template void GNRAProvider::WriteFields(RWDataOutStream&) const;
