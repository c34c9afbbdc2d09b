// What the page-filter tests share: settings put into a job's state, the media they
// name, and the pages and sheets read back from the marking writer's events.
#pragma once

#include "model/GFeatureIds.h"
#include "model/GObjectBase.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "printer/GMedia.h"

#include <string>
#include <vector>

namespace filtertest {

// Puts the value in place of whatever the holder has under the id.
inline void Put(GObjectBase* holder, long id, uint16_t value)
{
    GObjectBase::Drop(holder->RemoveById(id));
    holder->Add(new GValueAttribute(value, id));
}

inline void PutText(GObjectBase* holder, long id, const char* text)
{
    GObjectBase::Drop(holder->RemoveById(id));
    holder->Add(new GStringAttribute(text, id));
}

// The holder's value under the id; -1 without one.
inline int ValueIn(GObjectBase* holder, long id)
{
    const GValueAttribute* value = dynamic_cast<const GValueAttribute*>(holder ? holder->FindById(id) : nullptr);
    return value ? value->GetValue() : -1;
}

// A job media of the media type.
inline GMedia* MediaOf(const char* type, uint16_t mediaId = 23)
{
    GMedia* media = new GMedia;
    media->SetId(FeatureId::kDocumentMedia);
    media->SetMediaId(mediaId);
    media->SetSecondString(type);
    return media;
}

// Letter paper on plain paper at 600 dpi, with the same margin all round.
inline GMedia* Letter(uint16_t margin = 100, long id = FeatureId::kDocumentMedia)
{
    return new GMedia("Letter", {5100, 6600}, {uint16_t(5100 - 2 * margin), uint16_t(6600 - 2 * margin)},
                      {margin, margin}, 0, 1, 600, 600, id, 0, nullptr, "Plain");
}

// Each page the writer got, by its mark; 0 for a blank page.
inline std::vector<int> PageSequence(const std::vector<std::string>& events)
{
    std::vector<int> pages;
    int mark = 0;
    for (const std::string& e : events) {
        if (e == "OnPageStart 709")
            mark = 0;
        else if (e.compare(0, 5, "Mark ") == 0)
            mark = std::stoi(e.substr(5));
        else if (e == "OnPageEnd 710")
            pages.push_back(mark);
    }
    return pages;
}

// Each sheet the writer got: the marks drawn on it.
inline std::vector<std::vector<int>> Sheets(const std::vector<std::string>& events)
{
    std::vector<std::vector<int>> sheets;
    std::vector<int> sheet;
    for (const std::string& e : events) {
        if (e == "OnPageStart 709")
            sheet.clear();
        else if (e.compare(0, 5, "Mark ") == 0)
            sheet.push_back(std::stoi(e.substr(5)));
        else if (e == "OnPageEnd 710")
            sheets.push_back(sheet);
    }
    return sheets;
}

} // namespace filtertest
