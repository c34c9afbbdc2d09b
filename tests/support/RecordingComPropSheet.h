// A stand-in for the common property sheet's callback: records every call and answers
// handles 0x1000, 0x1001, ... for added pages (or null for the ones a test refuses).
#pragma once

#include <windows.h>

#include <cstdint>
#include <set>
#include <vector>

struct RecordedSheetCall {
    HANDLE sheet;
    UINT function;
    LPARAM first;
    LPARAM second;
};

class RecordingComPropSheet {
public:
    static RecordingComPropSheet& Current()
    {
        static RecordingComPropSheet recorder;
        return recorder;
    }
    static LONG_PTR CALLBACK Callback(HANDLE sheet, UINT function, LPARAM first, LPARAM second)
    {
        RecordingComPropSheet& self = Current();
        self.calls.push_back({sheet, function, first, second});
        if (function != 1)  // CPSFUNC_ADD_PROPSHEETPAGEW
            return 0;
        const size_t index = self.added++;
        return self.refused.count(index) ? 0 : LONG_PTR(0x1000 + index);
    }
    void Reset()
    {
        calls.clear();
        refused.clear();
        added = 0;
    }
    std::vector<RecordedSheetCall> Of(UINT function) const
    {
        std::vector<RecordedSheetCall> found;
        for (const auto& call : calls)
            if (call.function == function)
                found.push_back(call);
        return found;
    }

    std::vector<RecordedSheetCall> calls;
    std::set<size_t> refused;  // the indexes of added pages answered with null
    size_t added = 0;
};
