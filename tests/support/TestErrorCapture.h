// An error capture whose records tests can read: the texts, the class of the last
// error, and a way to start over.
#pragma once

#include "foundation/RWErrorCapture.h"

#include <string>
#include <typeinfo>
#include <vector>

class TestErrorCapture : public RWErrorCapture {
public:
    const std::vector<std::string>& Messages() const { return messages_; }
    // The last recorded text, or an empty text.
    std::string Last() const { return messages_.empty() ? std::string() : messages_.back(); }
    // True when the last recorded error is exactly of class E.
    template <class E>
    bool LastIs() const { return !classes_.empty() && classes_.back() == std::type_index(typeid(E)); }
    void Clear()
    {
        messages_.clear();
        classes_.clear();
    }
};
