#include "model/GBookletComposite.h"

GBookletComposite::GBookletComposite() {}
GBookletComposite::GBookletComposite(uint16_t primary, uint16_t second) : GPersistent(primary, second) {}
GBookletComposite::~GBookletComposite() {}

void GBookletComposite::AddPair(uint16_t a, uint16_t b)
{
    if (AppendValue(a))
        AppendValue(b);
}
