// The class factory's ancestry of every registered model class answers as the objects'
// own IsKindOf does, so deciding a kind before an object is made refuses exactly what
// the object would have refused.
#include "foundation/RWFactory.h"
#include "model/GObjectBase.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

TEST(KindAncestry, EveryRegisteredModelClassAnswersAsItsObjects)
{
    const std::vector<RWFactoryClass> classes = RWFactoryClasses();
    // Every class is a collectable as well, which a model object's IsKindOf leaves out.
    std::vector<RWClassID> ids{GObjectBase::kClassId};
    for (const RWFactoryClass& c : classes)
        if (c.id != RWCollectable::kClassId)
            ids.push_back(c.id);
    size_t checked = 0;
    for (const RWFactoryClass& c : classes) {
        std::unique_ptr<RWCollectable> made(c.create ? c.create() : nullptr);
        auto* model = dynamic_cast<GObjectBase*>(made.get());
        if (!model)
            continue;
        ASSERT_NE(nullptr, c.kindOf) << c.name.Name().Data() << ": registered without its ancestry";
        ++checked;
        for (RWClassID kind : ids)
            EXPECT_EQ(model->IsKindOf(kind), c.kindOf(kind))
                << c.name.Name().Data() << " (" << c.id << ") kind " << kind;
    }
    EXPECT_GT(checked, 50u);
}

TEST(KindAncestry, EveryRegisteredClassCarriesItsAncestry)
{
    for (const RWFactoryClass& c : RWFactoryClasses())
        EXPECT_NE(nullptr, c.kindOf) << c.name.Name().Data() << " (" << c.id << ")";
}
