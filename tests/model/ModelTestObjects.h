// Model objects for the tests: a leaf and a value attribute that count their
// deletions, and a peripheral that records every attribute applied to it.
#pragma once

#include "model/GEnumAttribute.h"
#include "model/GGraphicAttribute.h"
#include "model/GObjectBase.h"
#include "model/GRangeAttribute.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "pipeline/GDocumentEnd.h"
#include "pipeline/GDocumentStart.h"
#include "pipeline/GPageEnd.h"
#include "pipeline/GPageStart.h"
#include "printer/GPeripheral.h"
#include "DeletionCount.h"

#include <string>
#include <vector>

// A leaf whose deletion, and its copies', is counted.
class TrackedObject : public GObjectBase {
public:
    explicit TrackedObject(long id = 0, int* deletions = nullptr) : GObjectBase(id), count_(deletions) {}
    TrackedObject(const TrackedObject& other) : GObjectBase(other), count_(other.count_.Counter()) {}

    TrackedObject* CreateNew() const override { return new TrackedObject(0, count_.Counter()); }
    TrackedObject* Copy() const override { return new TrackedObject(*this); }

private:
    DeletionCount count_;
};

// A value attribute whose deletion, and its copies', is counted.
class TrackedValue : public GValueAttribute {
public:
    TrackedValue(uint16_t value, long id, int* deletions) : GValueAttribute(value, id), count_(deletions) {}
    TrackedValue(const TrackedValue& other) : GValueAttribute(other), count_(other.count_.Counter()) {}

    TrackedValue* Copy() const override { return new TrackedValue(*this); }

private:
    DeletionCount count_;
};

// A concrete graphic attribute, as the graphic-state classes are.
class TestGraphic : public GGraphicAttribute {
public:
    explicit TestGraphic(long id = 0) : GGraphicAttribute(id) {}
    TestGraphic* CreateNew() const override { return new TestGraphic; }
    TestGraphic* Copy() const override { return new TestGraphic(*this); }
    int16_t ApplyTo(GAttributeVisitor&) override { return 0; }
};

// Records each visit as "<visitor> <attribute id>" and each frame handler call as
// "<handler> <command id>", and answers the status set for the id.
class RecordingPeripheral : public GPeripheral {
public:
    RecordingPeripheral* CreateNew() const override { return new RecordingPeripheral; }
    RecordingPeripheral* Copy() const override { return new RecordingPeripheral(*this); }
    uint32_t QueryFlags() override { return 0; }

    int16_t ApplyValue(GValueAttribute& attribute) override { return Visit("ApplyValue", attribute); }
    int16_t ApplyString(GStringAttribute& attribute) override { return Visit("ApplyString", attribute); }
    int16_t ApplyEnum(GEnumAttribute& attribute) override { return Visit("ApplyEnum", attribute); }
    int16_t ApplyRange(GRangeAttribute& attribute) override { return Visit("ApplyRange", attribute); }

    int16_t OnDocumentStart(GDocumentStart& command) override
    {
        GPeripheral::OnDocumentStart(command);
        return Visit("OnDocumentStart", command);
    }
    int16_t OnDocumentEnd(GDocumentEnd& command) override
    {
        GPeripheral::OnDocumentEnd(command);
        return Visit("OnDocumentEnd", command);
    }
    int16_t OnPageStart(GPageStart& command) override
    {
        GPeripheral::OnPageStart(command);
        return Visit("OnPageStart", command);
    }
    int16_t OnPageEnd(GPageEnd& command) override
    {
        GPeripheral::OnPageEnd(command);
        return Visit("OnPageEnd", command);
    }

    void Answer(long id, int16_t status) { answers_.push_back({id, status}); }

    std::vector<std::string> visits;

protected:
    int16_t Visit(const char* visitor, const GObjectBase& object)
    {
        visits.push_back(std::string(visitor) + " " + std::to_string(object.GetId()));
        for (const auto& answer : answers_)
            if (answer.first == object.GetId())
                return answer.second;
        return 0;
    }

private:
    std::vector<std::pair<long, int16_t>> answers_;
};
