// A writable view of a sheet's settings tree by feature id. Changes made while a
// transaction is open are journaled so that a cancelled dialog can take them back.
#pragma once

#include "foundation/RWWString.h"

#include <cstdint>
#include <vector>

class GObjectBase;
class GValueAttribute;

class GSettingsView {
public:
    explicit GSettingsView(GObjectBase* settings) : settings_(settings) {}

    GObjectBase* GetTree() const { return settings_; }
    // 1 with the value; 0 (and value 0) when the feature is absent.
    int GetValue(uint16_t featureId, uint16_t& value) const;
    // 1 when the feature exists and now holds the value.
    int SetValue(uint16_t featureId, uint16_t value);
    // 1 with the string; "" when absent.
    int GetStringW(uint16_t featureId, RWWString& text) const;

    void BeginTransaction();
    void Commit();
    void Rollback();
    bool InTransaction() const { return open_; }
    size_t PendingChanges() const { return journal_.size(); }

private:
    struct Change {
        GValueAttribute* attribute;
        uint16_t before;
    };
    GObjectBase* settings_;
    bool open_ = false;
    std::vector<Change> journal_;
};
