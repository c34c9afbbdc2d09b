#include "graphics/GPaint.h"

GPaint::GPaint() {}
GPaint::GPaint(const long& id) : GStoredLevel(id) {}
GPaint::~GPaint() {}
