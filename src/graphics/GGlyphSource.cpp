#include "graphics/GGlyphSource.h"

GGlyphSource::GGlyphSource() {}
GGlyphSource::~GGlyphSource() {}
