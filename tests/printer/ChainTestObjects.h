// Stages, an add-on host and a channel for the tests of proxies, composites and printers.
#pragma once

#include "graphics/GOutputChannel.h"
#include "model/GAttributeComposite.h"
#include "model/GConfiguration.h"
#include "model/GCommand.h"

#include "../model/ModelTestObjects.h"
#include "ChildProcess.h"
#include "TestOSFactory.h"

#include <string>
#include <vector>

// Every command that reaches a logging stage, as "tag classid", across all stages.
inline std::vector<std::string>& ChainLog() { static std::vector<std::string> log; return log; }

// A recording stage that logs what it receives and answers chosen scales, readiness
// and flags; it can leave the document at its start. Its class is unknown to the factory.
class LoggingPeripheral : public RecordingPeripheral {
public:
    explicit LoggingPeripheral(const char* name) : tag(name) {}
    LoggingPeripheral* Copy() const override { return new LoggingPeripheral(*this); }
    RWClassID ClassId() const override { return 0x7301; }
    GCommand* ReceiveCommand(GCommand* command) override
    {
        ChainLog().push_back(tag + " " + std::to_string(command ? command->ClassId() : 0));
        return RecordingPeripheral::ReceiveCommand(command);
    }
    int16_t OnDocumentStart(GDocumentStart& command) override
    {
        if (leaveAtStart)
            Deactivate();
        return RecordingPeripheral::OnDocumentStart(command);
    }
    bool IsReady() override { return ready; }
    std::pair<float, float> GetScale(void*, void*, void*, uint32_t*) override { return scale; }
    uint32_t QueryFlags() override { return flags; }

    bool leaveAtStart = false, ready = true;
    std::pair<float, float> scale{1.0f, 1.0f};
    uint32_t flags = 0;
    std::string tag;
};

// What the add-on library asked of this program (see QzTestMakeAddOn).
struct AddOnCalls { int made, taken; bool refuse; };
AddOnCalls& AddOnHost();

// Proxies load add-ons only from the module's folder: live services must answer the
// test program's own folder (an earlier test may have left services with another).
inline void EnsureAddOnServices()
{
    RWWString folder;
    if (GOSFactory* services = GOSFactory::Instance())
        services->GetModuleDirectory(folder);
    const std::string program = ThisProgram();
    const std::string expected = program.substr(0, program.find_last_of('\\'));
    if (folder.IsNull() || folder.CompareTo(RWWString(expected.c_str())) != 0)
        new TestOSFactory;
}

inline RWWString AddOnPath()
{
    EnsureAddOnServices();
    return RWWString((ThisProgram().substr(0, ThisProgram().find_last_of('\\') + 1) + "qzaddon.dll").c_str());
}

inline bool AddOnLoaded() { return GetModuleHandleW(L"qzaddon.dll") != nullptr; }

// A configuration whose member 64 lists the add-on library, and a value to pass over.
inline GConfiguration* AddOnConfiguration()
{
    EnsureAddOnServices();
    GConfiguration* configuration = new GConfiguration(198);
    GAttributeComposite* list = new GAttributeComposite(64);
    list->Add(new GValueAttribute(1, 2));
    const std::string program = ThisProgram();
    list->Add(new GStringAttribute((program.substr(0, program.find_last_of('\\') + 1) + "qzaddon.dll").c_str(), 3));
    configuration->Add(list);
    return configuration;
}

// A channel that logs its steps and counts its deletions.
class LoggingChannel : public GOutputChannel {
public:
    explicit LoggingChannel(int* deletions) : GOutputChannel("port"), deletions_(deletions) {}
    ~LoggingChannel() override { ++*deletions_; }
    int16_t Open(const RWWString& name) override { return Log("open"), GOutputChannel::Open(name); }
    int16_t EndData() override { return Log("page"), GOutputChannel::EndData(); }
    int16_t Close() override { return Log("close"), GOutputChannel::Close(); }
    int16_t WriteBytes(const void*, uint32_t) override { return 0; }
    int16_t PageBoundary() override { return Log("flush"), flushStatus; }
    bool IsOpen() const override { return true; }

    // What the page boundary answers.
    int16_t flushStatus = 0;

private:
    void Log(const char* step) { ChainLog().push_back(std::string("channel ") + step); }
    int* deletions_;
};
