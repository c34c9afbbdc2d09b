// A rule between settings that the sheet evaluates: it may lock choices that contradict
// each other. Each rule has a key (0x40000000 plus its number) that the conflict notices
// ask about. The rules of the document set carry no conditions yet: they lock nothing.
#pragma once

#include <cstdint>

class GSheetContext;

class GConflictRule {
public:
    static constexpr uint32_t kKeyBase = 0x40000000;

    GConflictRule(GSheetContext* context, uint32_t key) : context_(context), key_(key) {}
    virtual ~GConflictRule() = default;

    uint32_t GetKey() const { return key_; }
    // Evaluates the rule against the settings: 1 when it locked something.
    virtual int Evaluate() { return 0; }
    bool IsLocking() const { return locking_; }

protected:
    GSheetContext* context_;
    uint32_t key_;
    bool locking_ = false;
};
