// A text with the index of the entry it selects: the value of a list setting in the
// association lists of the settings.
#pragma once

#include "foundation/RWCString.h"
#include "model/GObjectBase.h"

#include <cstdint>

class GSelectionString : public GObjectBase {
public:
    static constexpr RWClassID kClassId = 1008;

    GSelectionString();
    // A null text is empty.
    GSelectionString(const char* text, int16_t index, const long& id = 0);
    GSelectionString(const GSelectionString& other) = default;
    GSelectionString& operator=(const GSelectionString& other) = default;
    ~GSelectionString() override;

    GSelectionString* CreateNew() const override;
    GSelectionString* Copy() const override;
    RWClassID ClassId() const override;
    uint32_t BinaryStoreSize() const override;
    // The text is stored before the index.
    void RestoreGuts(RWDataInStream& stream) override;
    void RestoreGuts(RWBinaryFile& file) override;
    void SaveGuts(RWDataOutStream& stream) const override;
    void SaveGuts(RWBinaryFile& file) const override;
    bool IsKindOf(RWClassID classId) const override;
    // The same class and id, the same index and byte-equal texts.
    bool IsSame(const GObjectBase* other) const override;

    const RWCString& GetString() const { return text_; }
    int16_t GetIndex() const { return index_; }

private:
    template <class In>
    void ReadFields(In& in);
    template <class Out>
    void WriteFields(Out& out) const;

    int16_t index_;
    RWCString text_;
};
