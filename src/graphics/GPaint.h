// The abstract base of the paints that pens and brushes hold. Paints are shared: a pen
// or brush holds a counted reference, and the last holder deletes the paint.
#pragma once

#include "model/GPersistent.h"

class GPaint : public GStoredLevel<GPaint, GObjectBase, 151> {
public:
    GPaint();
    explicit GPaint(const long& id);
    GPaint(const GPaint& other) = default;
    GPaint& operator=(const GPaint& other) = default;
    ~GPaint() override;

    GPaint* CreateNew() const override = 0;
    GPaint* Copy() const override = 0;

    // Only the version word.
    auto StoredForm() { return GFields(); }
};
