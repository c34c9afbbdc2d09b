// Attribute and peripheral classes for tests of the model: a value attribute that
// counts its live objects (to see what a composite deletes), a graphic attribute with
// a value, and a peripheral that records the visitors called.
#pragma once

#include "model/GGraphicAttribute.h"
#include "model/GValueAttribute.h"
#include "printer/GPeripheral.h"

#include <cstdint>

class CountedValue : public GValueAttribute {
public:
    CountedValue(uint16_t value, const long& id) : GValueAttribute(value, id) { ++Live(); }
    CountedValue(const CountedValue& other) : GValueAttribute(other) { ++Live(); }
    ~CountedValue() override { --Live(); }
    CountedValue* CreateNew() const override { return new CountedValue(0, 0); }
    CountedValue* Copy() const override { return new CountedValue(*this); }

    static int& Live()
    {
        static int live = 0;
        return live;
    }
};

// A graphic attribute with one value; equal when class, id and value are.
class TestGraphic : public GGraphicAttribute {
public:
    static constexpr RWClassID kClassId = 0x7101;

    explicit TestGraphic(int value, RWClassID classId = kClassId) : value_(value), classId_(classId) { ++Live(); }
    TestGraphic(const TestGraphic& other) : GGraphicAttribute(other), value_(other.value_), classId_(other.classId_)
    {
        ++Live();
    }
    ~TestGraphic() override { --Live(); }
    TestGraphic* CreateNew() const override { return new TestGraphic(0, classId_); }
    TestGraphic* Copy() const override { return new TestGraphic(*this); }
    RWClassID ClassId() const override { return classId_; }
    bool IsSame(const GObjectBase* other) const override
    {
        const TestGraphic* graphic = GSameClass<TestGraphic>(this, other);
        return graphic && graphic->GetId() == GetId() && graphic->value_ == value_;
    }
    int16_t ApplyTo(GPeripheral&) override { return 0; }

    int Value() const { return value_; }
    static int& Live()
    {
        static int live = 0;
        return live;
    }

private:
    int value_;
    RWClassID classId_;
};

class RecordingPeripheral : public GPeripheral {
public:
    RecordingPeripheral* CreateNew() const override { return new RecordingPeripheral; }
    RecordingPeripheral* Copy() const override { return new RecordingPeripheral(*this); }
    int16_t ApplyTo(GPeripheral&) override { return 0; }
    int16_t ApplyValue(GValueAttribute&) override { return Called(); }
    int16_t ApplyString(GStringAttribute&) override { return Called(); }
    int16_t ApplyEnum(GEnumAttribute&) override { return Called(); }
    int16_t ApplyRange(GRangeAttribute&) override { return Called(); }

    int calls = 0;

private:
    int16_t Called()
    {
        ++calls;
        return 0;
    }
};
