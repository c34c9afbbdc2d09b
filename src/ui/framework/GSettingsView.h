// A writable view of a sheet's settings tree by feature id: a value or a range setting
// (whose value is kept within its bounds). Changes made while a transaction is open are
// journaled so that a cancelled dialog can take them back.
#pragma once

#include "foundation/RWCString.h"
#include "foundation/RWWString.h"

#include <cstdint>
#include <vector>

class GObjectBase;
class GAttribute;

class GSettingsView {
public:
    explicit GSettingsView(GObjectBase* settings) : settings_(settings) {}

    GObjectBase* GetTree() const { return settings_; }
    // 1 with the value; 0 (and value 0) when the feature is absent.
    int GetValue(uint16_t featureId, uint16_t& value) const;
    // 1 when the feature exists (a range takes the value within its bounds).
    int SetValue(uint16_t featureId, uint16_t value);
    // 1 with the string; "" when absent.
    int GetStringW(uint16_t featureId, RWWString& text) const;
    // 1 when the feature is a text setting and now holds the text (narrowed to its low
    // bytes, as the settings keep names).
    int SetStringW(uint16_t featureId, const RWWString& text);
    // 1 with the bounds when the feature is a range setting.
    int GetBounds(uint16_t featureId, int32_t& minimum, int32_t& maximum) const;
    // Counts the changes made through the view, so that a page can tell that a message
    // changed something; a rollback brings back the count of its transaction's start.
    uint32_t Revision() const { return revision_; }
    // Counts a change made to an object of the tree that is not a value or a text (a
    // table's rows), so that its page lights Apply; such a change is not journaled.
    void NoteChange() { ++revision_; }

    void BeginTransaction();
    void Commit();
    void Rollback();
    bool InTransaction() const { return open_; }
    size_t PendingChanges() const { return journal_.size(); }

private:
    struct Change {
        GAttribute* attribute;
        uint16_t before;
        bool text;
        RWCString textBefore;
    };
    static void Put(GAttribute* attribute, uint16_t value);
    GObjectBase* settings_;
    bool open_ = false;
    uint32_t revision_ = 0;
    uint32_t revisionAtBegin_ = 0;
    std::vector<Change> journal_;
};
