// Reduces runs of plain filled rectangles before they reach the writer: a rectangle with
// no pen, a plain brush and at most one clipping rectangle is held back, and the parts of
// the held rectangles that a later one paints over (or that two exclusive-or rectangles
// of one colour cancel) are cut away, so that each area is sent once. The held
// rectangles go on, rebuilt, as soon as any other command arrives.
#pragma once

#include "model/GCountedRef.h"
#include "printer/GPeripheral.h"

#include <cstdint>
#include <list>

class GCommand;

class GReducingFilter : public GPersistent<GReducingFilter, GPeripheral, 1112> {
public:
    static constexpr const char* kClassName = "GReducingFilter";
    GReducingFilter* CreateNew() const override { return new GReducingFilter; }
    GReducingFilter* Copy() const override { return new GReducingFilter(*this); }

    // The most records and pieces held back at once.
    static constexpr int32_t kMostHeld = 999;

    GReducingFilter();
    explicit GReducingFilter(const long& id);
    // The base part; nothing held is copied.
    GReducingFilter(const GReducingFilter& other);
    ~GReducingFilter() override;

    bool IsSame(const GObjectBase* other) const override;
    int16_t ApplyTo(GAttributeVisitor&) override { return 0; }
    GCountedRef ProcessCommand(const GCountedRef& command) override;
    void AbsorbState(GState*) override {}
    void ApplyState(const long&) override {}
    uint32_t QueryFlags() override { return 0; }

    int32_t HeldCount() const { return int32_t(held_.size()); }

    auto StoredForm() { return GFields(); }

    // One held rectangle, or a piece of one.
    struct Record {
        int32_t left = 0, top = 0, right = 0, bottom = 0;
        // 1 when the clip is the page.
        int32_t unclipped = 0;
        int32_t clipLeft = 0, clipTop = 0, clipRight = 0, clipBottom = 0;
        uint32_t clipOperation = 0, clipMode = 0;
        // Shared by the pieces of one rectangle; each rebuilt rectangle gets its own copy
        // of the brush.
        GCountedRef brush;
        GCountedRef joint;
        GCountedRef fillMode;
        GCountedRef pen;
        uint16_t mix = 0;
        uint16_t rasterOperation = 0;
        uint32_t rasterValue = 0;
    };

private:
    // A record of a qualifying rectangle; false when it does not qualify.
    static bool MakeRecord(GCommand& rectangle, Record& record);
    // Walks the held list with a new record: false when the list must be flushed in
    // place of the command (the record is in the list already).
    bool Resolve(Record& record);
    GCountedRef Flush(GCommand* command);

    std::list<Record> held_;
    uint32_t flags_ = 0;
};
