#include "graphics/GClipToPage.h"

#include "model/GAttributeVisitor.h"

GClipToPage::GClipToPage(const long& id) : GPersistent(0, 1, id) {}
GClipToPage::~GClipToPage() {}

int16_t GClipToPage::ApplyTo(GAttributeVisitor& visitor) { return visitor.ApplyClipToPage(*this); }

bool GClipToPage::GetBounds(GRect&) const { return false; }
