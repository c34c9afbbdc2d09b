// A device query through the network registry agent: fills a settings tree with what the
// agent knows about the printer (model name, memory, disks, installed paper-handling
// devices and their options, media names, a few flags).
//
// Everything passes through the printer's own registry data. Before asking the agent the
// query writes a placeholder into every value it will read (the number 6400, the text
// " ", an empty byte string); then it asks the agent to refresh (GNRAProvider); then it
// reads the values back, and every value that no longer holds its placeholder becomes a
// setting of the tree. Which features are filled, and from which values, is the
// DeviceQueryTable: a feature is handled when both its id and its class id match a row.
//
// It is also the service the provider opens for a driver object: asked for the printer's
// configuration, it fills that.
#pragma once

#include "foundation/RWCString.h"
#include "foundation/RWWString.h"
#include "model/GDeviceQuery.h"
#include "printer/GProviderService.h"

#include <windows.h>

#include <cstdint>
#include <vector>

class GAttribute;
class GDriverObject;
class GNRAProvider;
class GObjectBase;

class GNRADeviceQuery : public GDeviceQuery, public GProviderService {
public:
    // Results of Query.
    static constexpr uint16_t kSuccess = 0;
    static constexpr uint16_t kNoAnswer = 1;
    static constexpr uint16_t kNoHandler = 6;
    static constexpr uint16_t kModelNotAccepted = 8;
    static constexpr uint16_t kAgentNotAsked = 602;
    // The placeholder number: no answer came yet.
    static constexpr uint32_t kNumberPlaceholder = 6400;
    // An option count above this is no count but damage.
    static constexpr uint32_t kMaxOptions = 64;
    // Longest text or byte string read from the registry, in bytes.
    static constexpr DWORD kMaxValueBytes = 4096;

    // Opens the printer of the driver object (null handle when it cannot), then writes
    // "RegistryAgentName" = "QZNRA" and "QzrdbUpdateRequest" = 0 and keeps a model name
    // the printer's data already holds.
    GNRADeviceQuery(GNRAProvider* provider, const RWCString& channel, GDriverObject* driver, uint32_t extra);
    GNRADeviceQuery(const GNRADeviceQuery&) = delete;
    GNRADeviceQuery& operator=(const GNRADeviceQuery&) = delete;
    // Closes the printer.
    ~GNRADeviceQuery() override;

    // The query as OpenSecondary hands it out (the service interface), and back.
    static void* AsService(GNRADeviceQuery* query);
    static GNRADeviceQuery* FromService(void* service);

    // True once a model name is known.
    bool IsAnswered() const override;
    // Query on the driver object's settings, without the model check.
    uint16_t Run() override;
    // Query on the printer's configuration, which lists the models the driver accepts:
    // with the model check.
    uint32_t AnswerFor(GConfiguration& configuration) override;

    // Fills the target from the agent's answers; with checkModel the reported model must
    // be one of the target's accepted names (feature 230). 0, or the failure's result.
    uint16_t Query(GObjectBase* target, uint32_t checkModel);

    const RWCString& GetModelName() const { return secondText_; }
    HANDLE GetPrinterHandle() const { return printer_; }

    // The printer-data operations on the query's own handle; each read answers false
    // and leaves its output alone when the value is missing, of another type or of a size
    // its type cannot have.
    // A REG_DWORD of exactly 4 bytes.
    bool ReadDword(const wchar_t* name, uint32_t& value) const;
    // A REG_DWORD, or a REG_BINARY of 1 to 4 bytes taken as a big-endian number whose
    // trailing zero bytes are dropped.
    bool ReadNumber(const wchar_t* name, uint32_t& value) const;
    // A REG_SZ, ending at its first 0 or at the end of the bytes read.
    bool ReadText(const wchar_t* name, RWWString& value) const;
    bool ReadBytes(const wchar_t* name, std::vector<uint8_t>& value) const;
    bool WriteDword(const wchar_t* name, uint32_t value) const;
    bool WriteText(const wchar_t* name, const wchar_t* value) const;
    bool WriteBytes(const wchar_t* name, const uint8_t* bytes, DWORD size) const;

    // What a device's memory bytes select: 4, 3, 5 or 2 for the second byte 1 to 4 when
    // there are at least 3 bytes and the first is 1; 0 for anything else.
    static uint16_t MemoryCode(const std::vector<uint8_t>& bytes);
    // A REG_BINARY number of up to 4 bytes as ReadNumber takes it; false for more.
    static bool BigEndianNumber(const uint8_t* bytes, DWORD size, uint32_t& value);

private:
    using Handler = uint16_t (GNRADeviceQuery::*)(GAttribute& feature, const wchar_t* value, int phase);
    struct Row {
        uint32_t feature;
        uint32_t classId;
        const wchar_t* value;
        Handler handler;
    };
    static const Row DeviceQueryTable[];

    // The handler of the feature's row, with the phase: 0 before the request writes the
    // placeholders, 1 after it reads the answers; 6 without a row.
    uint16_t Dispatch(GObjectBase* feature, int phase);
    // Every member of the composite; the last result other than 0 and 6 wins, 6 only
    // when nothing else came.
    uint16_t DispatchMembers(GObjectBase* composite, int phase);
    // Asks the agent for one refresh: true when it answered both requests. The agent
    // link is dropped afterwards whatever happened.
    bool AskAgent();

    uint16_t Model(GAttribute& feature, const wchar_t* value, int phase);
    uint16_t AvailableMemory(GAttribute& feature, const wchar_t* value, int phase);
    uint16_t PresentUnlessPlaceholder(GAttribute& feature, const wchar_t* value, int phase);
    uint16_t MemoryKilobytes(GAttribute& feature, const wchar_t* value, int phase);
    uint16_t Mopy(GAttribute& feature, const wchar_t* value, int phase);
    uint16_t PaperHandlingDevices(GAttribute& feature, const wchar_t* value, int phase);
    uint16_t MediaNames(GAttribute& feature, const wchar_t* value, int phase);
    uint16_t Disks(GAttribute& feature, const wchar_t* value, int phase);
    uint16_t HeldJobs(GAttribute& feature, const wchar_t* value, int phase);
    uint16_t PresentUnlessBlank(GAttribute& feature, const wchar_t* value, int phase);
    uint16_t DeviceOptions(GAttribute& feature, const wchar_t* value, int phase);

    // The bounds of the target's range feature, both included; false without one.
    bool IndexRange(long feature, int32_t& first, int32_t& last) const;

    GNRAProvider* provider_;
    GDriverObject* driver_;
    RWCString channel_;
    GObjectBase* target_;
    uint32_t checkModel_;
    HANDLE printer_;
};
