#include "pipeline/GCommandProducer.h"

GCommandProducer::~GCommandProducer() {}
