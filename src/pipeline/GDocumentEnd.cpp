#include "pipeline/GDocumentEnd.h"

#include "printer/GPeripheral.h"

GDocumentEnd::GDocumentEnd() {}
GDocumentEnd::GDocumentEnd(const long& id) : GPersistent(id) {}
GDocumentEnd::GDocumentEnd(const RWWString& documentName, const RWWString& outputName, const long& id)
    : GPersistent(documentName, outputName, id)
{
}
GDocumentEnd::GDocumentEnd(GState* state, const long& id) : GPersistent(state, id) {}
GDocumentEnd::~GDocumentEnd() {}

int16_t GDocumentEnd::Execute(GCommandHandler& target) { return target.OnDocumentEnd(*this); }
