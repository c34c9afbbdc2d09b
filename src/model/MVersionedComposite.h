// A persistent composite whose stored form ends with a version word of its own: the
// form of the association and resource-mapping lists. Nothing follows the word.
#pragma once

#include "model/MPersistentComposite.h"

class MVersionedComposite : public GStoredLevel<MVersionedComposite, MPersistentComposite, 0> {
public:
    auto StoredForm() { return GFields(); }

protected:
    MVersionedComposite() {}
    explicit MVersionedComposite(const long& id) : GStoredLevel(id) {}
    MVersionedComposite(const MVersionedComposite& other) = default;
    MVersionedComposite& operator=(const MVersionedComposite& other) = default;
};
