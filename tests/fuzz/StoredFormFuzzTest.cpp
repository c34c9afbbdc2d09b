// Mutation fuzzing of every stored form: one sample object of every registered class is
// saved on every medium (binary file; binary, endian and portable streams), the bytes are
// damaged (bit flips, bytes set to 0 or 0xFF, cuts, huge counts, insertions, deletions),
// restored, used as a caller would use them, and destroyed, each case under the fuzz
// harness (FuzzHarness.h): the module's own new handler, a watchdog, and the checks of
// what the case left allocated and loaded.
//
// CI runs seed 1 for 2000 cases. A long run by hand, e.g.:
//   QZ_FUZZ_SEED=77 QZ_FUZZ_CASES=1000000 QZ_FUZZ_TARGET=stored-forms scripts/wine-run.sh build/tests/fuzz_tests.exe
// QZ_FUZZ_VERBOSE prints each case (seed, index, class, medium) before it runs;
// QZ_FUZZ_FIRST starts at an index.
#include "../foundation/DataStreamKinds.h"
#include "FuzzMutation.h"
#include "FuzzHarness.h"
#include "StoreSizeChecks.h"
#include "../model/RegisteredClasses.h"

#include "foundation/RWBTreeDictionary.h"
#include "foundation/RWCollectableIDAssociation.h"
#include "foundation/RWErrorCapture.h"
#include "model/GCountedPtr.h"
#include "model/GObjectIterator.h"
#include "model/GResourceMappingList.h"
#include "model/GSelectionString.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "model/MAssociationList.h"
#include "model/MPersistentComposite.h"
#include "model/GCommandComposite.h"
#include "pipeline/GJobAbort.h"
#include "pipeline/GPageStart.h"
#include "printer/GPeripheral.h"
#include "model/GState.h"
#include "foundation/RWSlistCollectables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>

namespace {

// A sample of the class with members where it can hold any.
RWCollectable* Sample(const RWFactoryClass& c)
{
    if (c.id == GCountedPtr::kClassId)
        return new GCountedPtr(new GValueAttribute(4, 9));
    RWCollectable* obj = c.create ? c.create() : nullptr;
    if (auto* list = dynamic_cast<GResourceMappingList*>(obj)) {
        list->Add(new GResourceMapping(5, 16690, 50, 1));
        list->Add(new GResourceMapping(6, 16691, 51, 2));
    } else if (auto* associations = dynamic_cast<MAssociationList*>(obj)) {
        associations->Add(new MPersistentAssociation(new GValueAttribute(1, 2), new GSelectionString("a", 3)));
    } else if (auto* association = dynamic_cast<MPersistentAssociation*>(obj)) {
        *association = MPersistentAssociation(new GValueAttribute(1, 2), new GStringAttribute("v", 3));
    } else if (auto* commands = dynamic_cast<GCommandComposite*>(obj)) {
        // A command composite takes only commands.
        GObjectBase* shared = new GJobAbort(10);
        commands->Add(shared);
        commands->Add(new GPageStart(new GState, 11));
        commands->Add(shared);
    } else if (auto* model = dynamic_cast<GObjectBase*>(obj)) {
        // A composite that takes attributes gets one held twice; those of peripherals or
        // graphics delete what they refuse, so nothing more is given once one is refused.
        if (model->AsComposite()) {
            GObjectBase* shared = new GValueAttribute(3, 10);
            const uint32_t before = model->Entries();
            model->Add(shared);
            if (model->Entries() > before) {
                model->Add(new GStringAttribute("text", 11));
                model->Add(shared);
            }
        }
    } else if (auto* dictionary = dynamic_cast<RWBTreeDictionary*>(obj)) {
        dictionary->InsertKeyAndValue(new GValueAttribute(1, 1), new GSelectionString("x", 2));
    } else if (auto* collection = dynamic_cast<RWCollection*>(obj)) {
        RWCollectable* shared = new GValueAttribute(2, 20);
        collection->Insert(shared);
        collection->Insert(new GSelectionString("s", 21));
        collection->Insert(shared);
    } else if (dynamic_cast<RWCollectableIDAssociation*>(obj)) {
        delete obj;
        obj = new RWCollectableIDAssociation(new GValueAttribute(1, 1), new GSelectionString("y", 2));
    } else if (dynamic_cast<RWCollectableAssociation*>(obj)) {
        delete obj;
        obj = new RWCollectableAssociation(new GValueAttribute(1, 1), nullptr);
    }
    return obj;
}

// Destroys what a restore or a sample handed out, as its owner would.
void Destroy(RWCollectable* obj)
{
    if (auto* model = dynamic_cast<GObjectBase*>(obj)) {
        GObjectBase::Drop(model);
        return;
    }
    if (auto* collection = dynamic_cast<RWCollection*>(obj))
        collection->ClearAndDestroy();
    else if (auto* pair = dynamic_cast<RWCollectableAssociation*>(obj)) {
        RWCollectable* key = pair->Key();
        RWCollectable* value = pair->Value();
        if (key != obj)
            delete key;
        if (value != key && value != obj)
            delete value;
    }
    delete obj;
}

// What a caller does with a restored object.
void Use(RWCollectable* obj, const RWCollectable* sample)
{
    obj->BinaryStoreSize();
    SavedBytes(obj);
    StreamSaved(StreamKind::Portable, obj);
    obj->IsEqual(sample);
    sample->IsEqual(obj);
    if (auto* model = dynamic_cast<GObjectBase*>(obj)) {
        model->TotalEntries();
        model->FindById(12345);
        if (GObjectIterator* it = model->CreateIterator()) {
            while (it->Next())
                if (GObjectBase* member = it->Current())
                    member->IsSame(model);
            delete it;
        }
        GObjectBase::Drop(model->DeepCopy());
        GObjectBase::Drop(model->Copy());
    } else if (auto* collection = dynamic_cast<RWCollection*>(obj)) {
        collection->Apply([](RWCollectable* m, void*) { (void)(m && m->Hash()); }, nullptr);
    }
}

class StoredFormFuzz : public testing::Test {
protected:
    static void SetUpTestSuite() { AttachFuzzModule(); }
    static void TearDownTestSuite() { DetachFuzzModule(); }
};

} // namespace

TEST_F(StoredFormFuzz, DamagedStoredFormsFailCleanly)
{
    const FuzzSettings settings = ReadFuzzSettings(2000);
    if (!settings.only.empty() && settings.only != "stored-forms")
        GTEST_SKIP() << "QZ_FUZZ_TARGET names another target";
    const uint32_t seed = settings.seed;
    const uint32_t first = settings.first;
    const uint32_t cases = settings.cases;
    const bool verbose = settings.verbose;

    std::vector<RWFactoryClass> classes = GetFactory()->Classes();
    std::sort(classes.begin(), classes.end(), [](const RWFactoryClass& a, const RWFactoryClass& b) { return a.id < b.id; });
    std::vector<RWCollectable*> samples;
    std::vector<std::string> saved[4];
    // The sample compared with, and the object whose saved forms are damaged.
    auto keep = [&](RWCollectable* sample, const RWCollectable* source) {
        samples.push_back(sample);
        const std::vector<uint8_t> file = SavedBytes(source);
        saved[0].push_back(std::string(file.begin(), file.end()));
        for (StreamKind kind : kAllStreamKinds)
            saved[1 + int(kind)].push_back(StreamSaved(kind, source));
    };
    for (const RWFactoryClass& c : classes)
        if (RWCollectable* sample = Sample(c))
            keep(sample, sample);
    // The registered-class sweep's filled samples as well.
    for (const RegisteredSample& row : RegisteredSamples())
        if (row.make)
            if (RWCollectable* sample = row.make())
                keep(sample, sample);
    ASSERT_GT(samples.size(), 20u);
    {
        // Graphs no caller may build: a list holding an object and counted holders of
        // it. Their bytes are what hostile data looks like; the sample compared with is
        // what a restore makes of them.
        GObjectBase* x = new GValueAttribute(7, 42);
        MPersistentAssociation* a = new MPersistentAssociation(x, new GValueAttribute(8, 43));
        MPersistentComposite* c = new MPersistentComposite(44);
        c->Add(x);
        c->Add(new MPersistentComposite(45));
        RWSlistCollectables list;
        for (RWCollectable* m : {static_cast<RWCollectable*>(x), static_cast<RWCollectable*>(a),
                                 static_cast<RWCollectable*>(c), static_cast<RWCollectable*>(x)})
            list.Insert(m);
        RWErrorCapture capture;
        keep(RestoredFromBytes(SavedBytes(&list)), &list);
        list.Clear();
        delete a;
        delete c;
    }

    for (uint32_t n = first; n < first + cases; ++n) {
        const size_t s = n % samples.size();
        const int medium = int(n / samples.size() % 4);
        if (verbose)
            std::printf("seed %u case %u class %u medium %d\n", seed, n, unsigned(samples[s]->ClassId()), medium),
                std::fflush(stdout);
        std::mt19937 random(seed * 2654435761u + n);
        const std::string bytes = Mutated(saved[medium][s], random);
        char target[64];
        std::snprintf(target, sizeof target, "stored-forms (class %u, medium %d)", unsigned(samples[s]->ClassId()),
                      medium);
        RunFuzzCase(target, seed, n, false, [&] {
            RWErrorCapture capture;
            RWCollectable* back = medium == 0 ? RestoredFromBytes(std::vector<uint8_t>(bytes.begin(), bytes.end()))
                                              : StreamRestored(StreamKind(medium - 1), bytes);
            if (back) {
                Use(back, samples[s]);
                Destroy(back);
            }
        });
        if (HasFailure())
            break;
    }
    for (RWCollectable* sample : samples)
        Destroy(sample);
}
