#include "printer/GDriverModel.h"

#include "model/GAttributeComposite.h"
#include "model/GResourceMappingList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<const void*> Parts(const GDriverModel& model)
{
    return {model.printer.get(), model.idPool.get(), model.osTrayMap.get(), model.idMap.get()};
}

// Each part of a model, the file's stamp included, goes across whole both ways: a model
// handed from a spare to a new object keeps naming the file it was read from.
TEST(DriverModel, SwapExchangesEveryPartAndTheFilesStamp)
{
    GDriverModel models[2];
    for (int i = 0; i < 2; ++i) {
        models[i].printer.reset(new GAttributeComposite(i));
        models[i].idPool.reset(new GResourceMappingList(i));
        models[i].osTrayMap.reset(new GResourceMappingList(i));
        models[i].idMap.reset(new GResourceMappingList(i));
        models[i].source = GSourceStamp::OfFile(L"C:\\model" + std::to_wstring(i) + L".dat", 10 + i, 20 + i);
    }
    const std::vector<const void*> parts[2] = {Parts(models[0]), Parts(models[1])};
    const GSourceStamp stamps[2] = {models[0].source, models[1].source};
    models[0].Swap(models[1]);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(parts[i], Parts(models[1 - i])) << i;
        EXPECT_TRUE(stamps[i].Answers(models[1 - i].source)) << i << ": the file's stamp";
    }
}

} // namespace
