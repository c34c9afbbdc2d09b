// The smallest printer model the driver server accepts from a data file: a printer and
// the three mapping lists, each under its member id. It stands in until the build
// generates the real model.
#include "TestPrinter.h"

#include "model/GResourceMappingList.h"
#include "model/GStreamHolder.h"
#include "model/MPersistentComposite.h"
#include "printer/GPrinter.h"

#include <memory>

namespace {
// Root members of the driver's data file.
const long kPrinterId = 353;
const long kIdPoolId = 191;
const long kSubObject3Id = 84;
const long kIdMapId = 194;
// The typed stream form the server reads.
const int kTypedStream = 1;
} // namespace

bool WriteInterimDriverModel(const std::wstring& path)
{
    MPersistentComposite root;
    GObjectBase* members[] = {new GPrinter, new GResourceMappingList, new GResourceMappingList,
                              new GResourceMappingList};
    const long ids[] = {kPrinterId, kIdPoolId, kSubObject3Id, kIdMapId};
    for (size_t i = 0; i < 4; ++i) {
        members[i]->SetId(ids[i]);
        root.Add(members[i]);
    }
    std::unique_ptr<GOutStreamHolder> out(new GOutStreamHolder(RWWString(path.c_str()), kTypedStream));
    RWDataOutStream* stream = out->GetStream();
    if (!stream)
        return false;
    *stream << &root;
    return stream->Good();
}
