// What the test entry found before it installed its recording error handler.
#pragma once

#include "foundation/RWErrorHandler.h"

// The handler that the entry's first RWSetErrorHandler call handed back.
RWErrorHandler HandlerBeforeTestMain();
