#include "graphics/GClipToPage.h"

#include "model/GAttributeVisitor.h"

GClipToPage::GClipToPage() {}
GClipToPage::GClipToPage(const long& id) : GStoredLevel(id) {}
GClipToPage::~GClipToPage() {}

int16_t GClipToPage::ApplyTo(GAttributeVisitor& visitor) { return visitor.ApplyClipToPage(*this); }
