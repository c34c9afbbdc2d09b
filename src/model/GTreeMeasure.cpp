#include "model/GTreeMeasure.h"

#include "model/GObjectBase.h"
#include "model/GObjectIterator.h"

#include <new>
#include <vector>

namespace {

// A restored model tree that expands past the bounds is dropped before anyone walks it.
bool RestoredTreeWithinBounds(RWCollectable* obj)
{
    GObjectBase* root = dynamic_cast<GObjectBase*>(obj);
    // A leaf is one object on one level: within any bounds, with nothing to walk.
    if (!root || !root->AsComposite() || GTreeMeasure().Within(root))
        return true;
    // Read in place, the root stays its caller's: it keeps none of the data.
    root->RemoveAll();
    return false;
}

struct CheckInstaller {
    CheckInstaller() { RWCollectable::SetRestoredCheck(RestoredTreeWithinBounds); }
    ~CheckInstaller() { RWCollectable::SetRestoredCheck(nullptr); }
};
const CheckInstaller g_installer;

} // namespace

bool GTreeMeasure::Within(GObjectBase* root)
{
    // One frame per composite on the path from the root; its members' sizes add up in
    // the frame until its iterator runs out.
    struct Frame {
        GObjectBase* object;
        GObjectIterator* it;
        Size size;
    };
    std::vector<Frame> path;
    bool within = true;
    // The member measured last, not yet added to its composite's frame.
    Size last{0, 0};
    GObjectBase* next = root;
    while (within) {
        if (next) {
            auto found = measured_.find(next);
            GObjectIterator* it = nullptr;
            if (found != measured_.end()) {
                last = found->second;
            } else if (!next->AsComposite()) {
                last = measured_[next] = Size{1, 1};
            } else if (path.size() < kMaxLevels && (it = next->CreateIterator()) != nullptr) {
                path.push_back(Frame{next, it, Size{1, 1}});
            } else {
                within = false;
                break;
            }
            next = nullptr;
        }
        if (path.empty())
            break;
        Frame& top = path.back();
        if (last.objects) {
            top.size.objects += last.objects;
            if (last.levels >= top.size.levels)
                top.size.levels = last.levels + 1;
            last = Size{0, 0};
            if (top.size.objects > kMaxExpandedObjects || top.size.levels > kMaxLevels) {
                within = false;
                break;
            }
        }
        if (top.it->Next()) {
            next = top.it->Current();
            continue;
        }
        delete top.it;
        last = measured_[top.object] = top.size;
        path.pop_back();
    }
    for (Frame& frame : path)
        delete frame.it;
    return within;
}
