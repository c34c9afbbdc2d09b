#include "model/GObjectIterator.h"

GObjectIterator::~GObjectIterator() {}
