#include "pipeline/GCommandProducer.h"

GCommandProducer::~GCommandProducer() {}

GFontPool* GCommandProducer::GetFontPool() { return nullptr; }
