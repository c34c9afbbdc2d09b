#include "model/GProvider.h"
#include "model/GProviderRegistry.h"

#include <gtest/gtest.h>

namespace {

// A provider with a chosen capability mask that counts the opens it is asked for.
class TestProvider : public GProvider {
public:
    explicit TestProvider(uint32_t capabilities) : capabilities_(capabilities) {}
    TestProvider* CreateNew() const override { return new TestProvider(capabilities_); }
    TestProvider* Copy() const override { return new TestProvider(*this); }
    uint32_t GetCapabilities() const override { return capabilities_; }
    GOutputChannel* Open(const RWWString&, const RWCString&, uint32_t, void*) override
    {
        ++opens;
        return nullptr;
    }

    int opens = 0;

private:
    uint32_t capabilities_;
};

} // namespace

TEST(GProviderRegistry, KeepsTheFirstOfANameAndListsByCapability)
{
    GProviderRegistry registry;
    TestProvider channel(0x3);
    TestProvider both(0x10001);
    TestProvider service(0x10000);
    TestProvider late(0x1);
    EXPECT_EQ(0, registry.Register(&channel, "channel"));
    EXPECT_EQ(0, registry.Register(&both, "both"));
    EXPECT_EQ(0, registry.Register(&service, "service"));
    EXPECT_EQ(1, registry.Register(&late, "channel"));
    EXPECT_EQ(&channel, registry.FindByName("channel"));
    EXPECT_EQ(&both, registry.FindByName("both"));
    EXPECT_EQ(&service, registry.FindByName("service"));
    EXPECT_EQ(nullptr, registry.FindByName("chan"));

    EXPECT_EQ(2u, registry.Count(0x10001));
    EXPECT_EQ(2u, registry.Count(0x1));
    EXPECT_EQ(2u, registry.Count(0x10000));

    EXPECT_EQ(nullptr, registry.Open(L"LPT1:", nullptr, 0x4));
    EXPECT_EQ(0, channel.opens + both.opens);
    EXPECT_EQ(nullptr, registry.Open(L"LPT1:", nullptr, 0x1));
    EXPECT_EQ(1, channel.opens);
    EXPECT_EQ(1, both.opens);

    registry.Unregister("both");
    EXPECT_EQ(nullptr, registry.FindByName("both"));
    EXPECT_EQ(1u, registry.Count(0x10000));
    EXPECT_FALSE(channel.IsSame(&channel));
}

TEST(ClassifyPortName, GivesTheKindOfEachName)
{
    const struct {
        const wchar_t* name;
        PortKind kind;
    } cases[] = {
        {L"LPT1:", kPortParallel}, {L"lpt2", kPortParallel},   {L"LPT1x", kPortOther}, {L"com9", kPortSerial},
        {L"file:", kPortFile},     {L"FILE:", kPortFile},      {L"Ne00:", kPortNamed}, {L"", kPortOther},
        {L"LPT10", kPortOther},    {L"COMX", kPortOther},      {L"\\\\server\\queue", kPortNetworkShare},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.kind, ClassifyPortName(c.name)) << &c - cases;
}
