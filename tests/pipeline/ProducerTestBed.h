// A producer of the page-drawing stand-in, known to a driver server, with a chain of
// stages ending in a recording writer, system services that give each test a fresh
// temporary folder and a fixed clock, and a check that the folder is empty at the end.
#pragma once

#include "../printer/TestOSFactory.h"
#include "PageDrawJob.h"
#include "PageDrawProducer.h"
#include "RecordingWriter.h"
#include "TempPath.h"

#include "printer/PrinterIdentity.h"
#include "model/MPersistentComposite.h"
#include "model/GStreamHolder.h"
#include "pipeline/filters/GPageSpoolFilter.h"
#include "printer/GDriverServer.h"
#include "printer/GPeripheralComposite.h"
#include "printer/GPrinter.h"
#include "model/GFeatureIds.h"
#include "model/GValueAttribute.h"
#include "model/GState.h"
#include "model/GAttributeComposite.h"
#include "printer/GCustomMediaSize.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace testbed {

// The producer keeps a booklet (279 of 1 or 2) on only when the booklet's paper (280)
// is found: the job names a custom Letter size of its settings.
inline void GiveBookletPaper(GCommandProducer& producer, GObjectBase* job)
{
    GAttributeComposite* sizes = new GAttributeComposite(FeatureId::kCustomSizeList);
    sizes->Add(new GCustomMediaSize(16384, "Letter", GCustomMediaSize::kHundredthInch, 850, 1100, 0));
    producer.GetSettings()->Add(sizes);
    GObjectBase::Drop(job->RemoveById(FeatureId::kCoverPaperCode));
    job->Add(new GValueAttribute(16384, FeatureId::kCoverPaperCode));
}

inline RWWString Wide(const std::string& text) { return std::wstring(text.begin(), text.end()).c_str(); }
inline std::string Narrow(const RWWString& text)
{
    std::string out;
    for (size_t i = 0; i < text.Length(); ++i)
        out += char(text.Data()[i]);
    return out;
}

// Every entry of a folder and of its sub-folders, as paths below it.
inline void ListFolder(const std::wstring& folder, const std::wstring& prefix, std::vector<std::string>& out)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..")
            continue;
        out.push_back(std::string(name.begin(), name.end()));
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ListFolder(folder + L"\\" + name, prefix + name + L"\\", out);
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

// A model stage the server's printer model holds until the test puts its chain in.
struct ModelStage : GPersistent<ModelStage, GPeripheral, 4201> {
    static constexpr const char* kClassName = "ProducerTestModelStage";
    ModelStage* CreateNew() const override { return new ModelStage; }
    ModelStage* Copy() const override { return new ModelStage(*this); }
    auto StoredForm() { return GNoFields(); }
    uint32_t QueryFlags() override { return 0; }
    int16_t ApplyTo(GAttributeVisitor&) override { return 0; }
};

struct Services : TestOSFactory {
    GDriverObject* CreateSecondaryDriverObject(const PrinterIdentity& identity) override
    {
        return new PageDrawProducer(identity.GetPrinterName(), identity.GetDriverName(), identity.GetPortName());
    }
    void GetDriverDataFile(RWWString& path, GDriverObject*) override { path = Wide(model.str()); }
    void GetTempDirectory(RWWString& path, GDriverObject*) override { path = Wide(temp); }
    int GetLocalAndShiftedTime(std::tm& local, std::tm& shifted, int16_t& bias) override
    {
        local = shifted = clockTime;
        bias = 0;
        return 1;
    }
    // A converter of the test's own when set (the process keeps the one it makes until
    // DiscardTextConverter).
    GTextConverter* CreateTextConverter() override
    {
        return makeConverter ? makeConverter() : TestOSFactory::CreateTextConverter();
    }
    TempPath model{"producer-model"};
    std::string temp;
    std::tm clockTime{};
    std::function<GTextConverter*()> makeConverter;
};

// The writer of the tests: records each rectangle's left edge (the page's number) and
// what the page starts carry.
class MarkingWriter : public RecordingWriter {
public:
    int16_t DrawRectangle(GRectangleGraphic& c) override
    {
        marks.push_back(c.GetBounds().left);
        log.push_back("Mark " + std::to_string(c.GetBounds().left));
        return RecordingWriter::DrawRectangle(c);
    }
    int16_t OnPageStart(GPageStart& c) override
    {
        GState* state = c.GetState();
        pageStartMarks.push_back(state && state->FindById(4242) ? 1 : 0);
        const GValueAttribute* tray = dynamic_cast<const GValueAttribute*>(state ? state->FindById(FeatureId::kPageTray) : nullptr);
        pageTrays.push_back(tray ? tray->GetValue() : -1);
        return RecordingWriter::OnPageStart(c);
    }
    // The log without the attribute visits.
    std::vector<std::string> Events() const
    {
        std::vector<std::string> out;
        for (const std::string& entry : log)
            if (entry.compare(0, 5, "Apply") != 0 && entry.compare(0, 3, "Set") != 0)
                out.push_back(entry);
        return out;
    }
    std::vector<int> marks;
    std::vector<int> pageStartMarks;
    // The tray (258) of each page start; -1 without one.
    std::vector<int> pageTrays;
};

class ProducerTest : public testing::Test {
protected:
    void SetUp() override
    {
        services_ = new Services;
        TempPath base("x");
        std::string folder = base.str().substr(0, base.str().size() - 2);
        services_->temp = folder + "\\" + testing::UnitTest::GetInstance()->current_test_info()->name();
        CreateDirectoryA(services_->temp.c_str(), nullptr);
        services_->clockTime.tm_year = 2026 - 1900, services_->clockTime.tm_mon = 11;
        services_->clockTime.tm_mday = 7, services_->clockTime.tm_hour = 9, services_->clockTime.tm_min = 5;
        services_->clockTime.tm_sec = 3;
        MPersistentComposite root;
        root.Add(new ModelStage), root.FindByClassId(4201)->SetId(353);
        *std::unique_ptr<GOutStreamHolder>(services_->OpenFileOutputStream(Wide(services_->model.str()), 1))
             ->GetStream()
            << &root;
        server_.reset(new GDriverServer);
    }

    void TearDown() override
    {
        producers_.clear();
        server_.reset();
        std::vector<std::string> left;
        ListFolder(std::wstring(Wide(services_->temp).Data()), L"", left);
        std::string names;
        for (const std::string& name : left)
            names += name + " ";
        EXPECT_TRUE(left.empty()) << "left in the temporary folder: " << names;
        for (const std::string& name : left)
            std::remove((services_->temp + "\\" + name).c_str());
        RemoveDirectoryA(services_->temp.c_str());
    }

    // A producer on the port, whose chain is the filters given and then the printer
    // with the writer (none without a writer); the chain takes them.
    PageDrawProducer* MakeProducer(const wchar_t* port, std::vector<GPeripheral*> filters, GPeripheral* writer)
    {
        uint32_t ticket = 0;
        PageDrawProducer* producer = dynamic_cast<PageDrawProducer*>(
            server_->AcquireSecondary(new PrinterIdentity(nullptr, L"P", L"Driver", port, 0), ticket));
        EXPECT_NE(nullptr, producer);
        if (!producer)
            return nullptr;
        producers_.push_back(ticket);
        if (writer) {
            GPeripheralComposite* chain = new GPeripheralComposite;
            for (GPeripheral* filter : filters)
                chain->Add(filter);
            GPrinter* printer = new GPrinter("printer", nullptr, nullptr, FeatureId::kPrinterHolder);
            writer->SetId(GPrinter::kPdlWriterId);
            printer->Add(writer);
            printer->FindWriters();
            chain->Add(printer);
            producer->SetPrinter(chain);
        }
        return producer;
    }

    // The files in the temporary folder now.
    std::vector<std::string> TempFiles() const
    {
        std::vector<std::string> names;
        ListFolder(std::wstring(Wide(services_->temp).Data()), L"", names);
        return names;
    }

    Services* services_ = nullptr;
    std::unique_ptr<GDriverServer> server_;
    std::vector<uint32_t> producers_;
    TestOutputProvider provider_;
};

} // namespace testbed
