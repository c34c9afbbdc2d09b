// Acquires and releases the driver object of one printer through the driver server:
// once with the kept object reused, once with the kept object flushed after every
// release, so that each acquire makes a new object and reads its printer model from
// the data file. Prints the time of each and how many times faster reuse is.
//
//   driver_server_bench.exe [rounds] [mappings per list]
#include "printer/PrinterIdentity.h"
#include "model/GResourceMappingList.h"
#include "model/GStreamHolder.h"
#include "model/MPersistentComposite.h"
#include "printer/GDriverObject.h"
#include "printer/GDriverServer.h"
#include "printer/GPeripheral.h"
#include "printer/GWin32OSFactory.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

class BenchPrinter : public GPersistent<BenchPrinter, GPeripheral, 4002> {
public:
    static constexpr const char* kClassName = "BenchPrinter";
    auto StoredForm() { return GNoFields(); }
    BenchPrinter* CreateNew() const override { return new BenchPrinter; }
    BenchPrinter* Copy() const override { return new BenchPrinter(*this); }
    int16_t ApplyTo(GAttributeVisitor&) override { return 0; }
    uint32_t QueryFlags() override { return 0; }
};

class BenchDriver : public GDriverObject {
public:
    explicit BenchDriver(const PrinterIdentity& identity) : identity_(identity) {}
    GCacheKey* GetIdentity() const override { return new PrinterIdentity(identity_); }

private:
    PrinterIdentity identity_;
};

class BenchServices : public GWin32OSFactory {
public:
    explicit BenchServices(const std::wstring& file) : file_(file) {}
    GDriverObject* CreateDriverObject(const PrinterIdentity& identity) override { return new BenchDriver(identity); }
    void GetDriverDataFile(RWWString& path, GDriverObject*) override { path = file_.c_str(); }
    void* GetPrinterHandle(GDriverObject*) override { return nullptr; }

private:
    std::wstring file_;
};

void Fail(const char* what)
{
    std::fprintf(stderr, "error: %s\n", what);
    std::exit(2);
}

GResourceMappingList* Mappings(long id, int count)
{
    GResourceMappingList* list = new GResourceMappingList(id);
    for (int i = 0; i < count; ++i) {
        GResourceMapping* mapping = new GResourceMapping(uint32_t(i), uint16_t(i), int16_t(i), i);
        if (!list->Add(mapping))
            delete mapping;
    }
    return list;
}

template <class F>
double Time(int rounds, F f)
{
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < rounds; ++i)
        f();
    return std::chrono::duration<double>(Clock::now() - start).count() / rounds;
}

} // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 2000;
    const int mappings = argc > 2 ? std::atoi(argv[2]) : 100;
    wchar_t folder[MAX_PATH], file[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    GetTempFileNameW(folder, L"qzb", 0, file);
    BenchServices* services = new BenchServices(file);
    {
        MPersistentComposite root;
        BenchPrinter* printer = new BenchPrinter;
        printer->SetId(353);
        root.Add(printer);
        for (long id : {191L, 84L, 194L})
            root.Add(Mappings(id, mappings));
        std::unique_ptr<GOutStreamHolder> out(services->OpenFileOutputStream(file, 1));
        *out->GetStream() << &root;
    }
    GDriverServer* server = new GDriverServer;

    auto cycle = [&](bool flush) {
        uint32_t ticket = 0;
        if (!server->Acquire(new PrinterIdentity(nullptr, L"Bench", L"Driver", L"FILE:", 0), ticket))
            Fail("acquire");
        server->Release(ticket);
        if (flush)
            server->FlushKept();
    };
    cycle(false);
    const double kept = Time(rounds, [&] { cycle(false); });
    const double loaded = Time(rounds, [&] { cycle(true); });
    delete server;
    delete services;
    DeleteFileW(file);

    std::printf("driver object of one printer, %d rounds, model of 3 lists of %d mappings\n", rounds, mappings);
    std::printf("  model loaded each time %10.1f us\n", loaded * 1e6);
    std::printf("  kept object reused     %10.1f us   x%.1f faster\n", kept * 1e6, loaded / kept);
    return 0;
}
