#include "model/GOptMediaComposite.h"

GOptMediaComposite::GOptMediaComposite() {}
GOptMediaComposite::GOptMediaComposite(uint16_t primary, uint16_t second) : GPersistent(primary, second) {}
GOptMediaComposite::~GOptMediaComposite() {}

void GOptMediaComposite::AddValue(uint16_t value) { AppendValue(value); }
