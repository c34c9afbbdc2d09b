#include "model/GDisplayStringAttribute.h"

GDisplayStringAttribute::GDisplayStringAttribute() { display_.MarkEmbedded(); }

GDisplayStringAttribute::GDisplayStringAttribute(const long& id, uint16_t stringId, const char* text,
                                                 const char* altText)
    : GPersistent(id), display_(stringId, text, altText)
{
    display_.MarkEmbedded();
}

GDisplayStringAttribute::GDisplayStringAttribute(uint16_t stringId, const char* text, const char* altText)
    : display_(stringId, text, altText)
{
    display_.MarkEmbedded();
}

GDisplayStringAttribute::GDisplayStringAttribute(const GDisplayStringAttribute& other)
    : GPersistent(other), display_(other.display_)
{
    display_.MarkEmbedded();
}

GDisplayStringAttribute::~GDisplayStringAttribute() {}

int16_t GDisplayStringAttribute::ApplyTo(GAttributeVisitor&) { return 0; }
