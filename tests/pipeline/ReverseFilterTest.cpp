// The reverse-order and face-up filters in stand-in jobs: when they act, the order they
// send, and the blank pages of letterhead and of sheets printed on both sides.
#include "FilterTestHelpers.h"
#include "ProducerTestBed.h"

#include "model/GConfiguration.h"
#include "model/GFeatureIds.h"
#include "model/GValueAttribute.h"
#include "pipeline/filters/GFaceUpFilter.h"
#include "pipeline/filters/GReverseFilter.h"
#include "printer/GMedia.h"

#include <gtest/gtest.h>

using namespace testbed;
using namespace filtertest;

namespace {

GMedia* Letterhead()
{
    GMedia* media = new GMedia;
    media->SetId(FeatureId::kDocumentMedia);
    media->SetSecondString("Letterhead");
    return media;
}

} // namespace

TEST_F(ProducerTest, ReverseActsByTheTruthTableOf710And1116And253)
{
    const struct {
        int r, x, d; // -1: absent
        bool acts;
    } cases[] = {
        {1, -1, -1, true}, {0, -1, -1, false}, {-1, -1, -1, false}, {-1, 1, 1, false},
        {0, 1, 1, true},   {1, 1, 1, false},   {1, 1, 0, true},     {0, 1, 0, false},
        {1, 0, 1, true},   {0, 0, 1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.r << " " << c.x << " " << c.d);
        MarkingWriter* writer = new MarkingWriter;
        GReverseFilter* filter = new GReverseFilter(0);
        PageDrawProducer* producer = MakeProducer(L"FILE:", {filter}, writer);
        GObjectBase* job = producer->GetSettings()->FindById(FeatureId::kJobSettings);
        if (c.r >= 0)
            Put(job, FeatureId::kReverseOrder, uint16_t(c.r));
        if (c.x >= 0)
            Put(job, FeatureId::kReverseOnDuplex, uint16_t(c.x));
        if (c.d >= 0)
            Put(job, FeatureId::kDuplexMode, uint16_t(c.d));
        PageDrawJob job5;
        job5.pages = 5;
        EXPECT_EQ(0, job5.Run(*producer));
        const std::vector<int> expected = c.acts ? std::vector<int>{5, 4, 3, 2, 1} : std::vector<int>{1, 2, 3, 4, 5};
        EXPECT_EQ(expected, PageSequence(writer->Events()));
    }
}

TEST_F(ProducerTest, ReversePassesEveryPageCountWhole)
{
    for (uint32_t pages : {0u, 1u, 7u}) {
        MarkingWriter* writer = new MarkingWriter;
        PageDrawProducer* producer = MakeProducer(L"FILE:", {new GReverseFilter(0)}, writer);
        Put(producer->GetSettings()->FindById(FeatureId::kJobSettings), FeatureId::kReverseOrder, 1);
        PageDrawJob job;
        job.pages = pages;
        EXPECT_EQ(0, job.Run(*producer));
        std::vector<int> expected;
        for (int n = int(pages); n >= 1; --n)
            expected.push_back(n);
        EXPECT_EQ(expected, PageSequence(writer->Events()));
    }
}

TEST_F(ProducerTest, ReverseOnLetterheadKeepsTheSheetsRight)
{
    const struct {
        uint32_t pages;
        uint32_t trayChangeAt; // 0: none
        std::vector<int> sent;
    } cases[] = {
        {2, 2, {0, 2, 0, 1}},        // 1, blank, 2 and a pad
        {3, 3, {0, 3, 2, 1}},        // page 3 starts a sheet: no blank between, a pad at the end
        {5, 0, {0, 5, 4, 3, 2, 1}},  // padded to six
        {0, 0, {}},                  // no first page: no blank
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pages);
        MarkingWriter* writer = new MarkingWriter;
        GReverseFilter* filter = new GReverseFilter(0);
        PageDrawProducer* producer = MakeProducer(L"FILE:", {filter}, writer);
        producer->GetPrinterConfiguration()->Add(new GValueAttribute(1, FeatureId::kLetterheadDuplexCapable));
        GObjectBase* job = producer->GetSettings()->FindById(FeatureId::kJobSettings);
        Put(job, FeatureId::kReverseOrder, 0);
        Put(job, FeatureId::kReverseOnDuplex, 1);
        Put(job, FeatureId::kDuplexMode, 1);
        job->Add(Letterhead());
        GObjectBase* root = producer->GetSettings();
        PageDrawJob run;
        run.pages = c.pages;
        run.draw = [&](GCommandProducer& p, uint32_t n) {
            Put(root, FeatureId::kPageTray, n >= c.trayChangeAt && c.trayChangeAt ? 2 : 1);
            return PageDrawJob::MarkPage(p, n);
        };
        EXPECT_EQ(0, run.Run(*producer));
        EXPECT_EQ(c.sent, PageSequence(writer->Events()));
    }
}

TEST_F(ProducerTest, ReverseForgetsLetterheadModeAtTheNextDocument)
{
    MarkingWriter* writer = new MarkingWriter;
    GReverseFilter* filter = new GReverseFilter(0);
    PageDrawProducer* producer = MakeProducer(L"FILE:", {filter}, writer);
    producer->GetPrinterConfiguration()->Add(new GValueAttribute(1, FeatureId::kLetterheadDuplexCapable));
    GObjectBase* job = producer->GetSettings()->FindById(FeatureId::kJobSettings);
    Put(job, FeatureId::kReverseOrder, 1);
    Put(job, FeatureId::kDuplexMode, 1);
    job->Add(Letterhead());
    PageDrawJob first;
    first.pages = 1;
    EXPECT_EQ(0, first.Run(*producer));
    EXPECT_EQ((std::vector<int>{0, 1}), PageSequence(writer->Events()));
    delete job->RemoveById(FeatureId::kDocumentMedia);
    writer->log.clear();
    PageDrawJob second;
    second.pages = 1;
    EXPECT_EQ(0, second.Run(*producer));
    EXPECT_EQ(std::vector<int>{1}, PageSequence(writer->Events()));
    EXPECT_EQ(0u, filter->InLetterheadMode());
}

TEST_F(ProducerTest, FaceUpSendsSheetsLastFirstAndPadsTwoSidedDocuments)
{
    const struct {
        int faceUp;   // -1: absent
        int capable;  // 308
        int duplex;   // 253
        uint32_t pages;
        std::vector<int> sent;
    } cases[] = {
        {1, 0, 0, 4, {4, 3, 2, 1}},
        {1, 1, 1, 5, {5, 0, 3, 4, 1, 2}},
        {1, 0, 1, 5, {5, 4, 3, 2, 1}},
        {1, 1, 1, 0, {}},
        {1, 1, 1, 1, {1, 0}},
        {0, 1, 1, 3, {1, 2, 3}},
        {-1, 1, 1, 3, {1, 2, 3}},
        {1, 0, 0, 7, {7, 6, 5, 4, 3, 2, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.faceUp << " " << c.capable << " " << c.duplex << " " << c.pages);
        MarkingWriter* writer = new MarkingWriter;
        PageDrawProducer* producer = MakeProducer(L"FILE:", {new GFaceUpFilter(0)}, writer);
        producer->GetPrinterConfiguration()->Add(new GValueAttribute(uint16_t(c.capable), FeatureId::kLetterheadDuplexCapable));
        GObjectBase* job = producer->GetSettings()->FindById(FeatureId::kJobSettings);
        if (c.faceUp >= 0)
            Put(job, FeatureId::kFaceUpOutput, uint16_t(c.faceUp));
        Put(job, FeatureId::kDuplexMode, uint16_t(c.duplex));
        PageDrawJob run;
        run.pages = c.pages;
        EXPECT_EQ(0, run.Run(*producer));
        EXPECT_EQ(c.sent, PageSequence(writer->Events()));
    }
}

// An odd whole document from an earlier filter is never padded: its first page goes alone.
TEST_F(ProducerTest, FaceUpSendsTheLoneFirstPageOfAnOddWholeDocumentAlone)
{
    MarkingWriter* writer = new MarkingWriter;
    GReverseFilter* reverse = new GReverseFilter(0);
    GFaceUpFilter* faceUp = new GFaceUpFilter(0);
    PageDrawProducer* producer = MakeProducer(L"FILE:", {reverse, faceUp}, writer);
    producer->GetPrinterConfiguration()->Add(new GValueAttribute(1, FeatureId::kLetterheadDuplexCapable));
    GObjectBase* job = producer->GetSettings()->FindById(FeatureId::kJobSettings);
    Put(job, FeatureId::kReverseOrder, 1);
    Put(job, FeatureId::kFaceUpOutput, 1);
    Put(job, FeatureId::kDuplexMode, 1);
    PageDrawJob run;
    run.pages = 5;
    EXPECT_EQ(0, run.Run(*producer));
    // Reverse sends 5, 4, 3, 2, 1; face-up pairs them from the end: (2, 1), (4, 3), 5.
    EXPECT_EQ((std::vector<int>{2, 1, 4, 3, 5}), PageSequence(writer->Events()));
}
