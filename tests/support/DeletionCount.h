// Deletion counting for test objects: an object holds a DeletionCount and, when deleted,
// adds one to the counter the test gave it (none when given null).
#pragma once

class DeletionCount {
public:
    explicit DeletionCount(int* counter = nullptr) : counter_(counter) {}
    ~DeletionCount()
    {
        if (counter_)
            ++*counter_;
    }
    // A copy is another object: it counts nothing unless given its own counter.
    DeletionCount(const DeletionCount&) : counter_(nullptr) {}
    DeletionCount& operator=(const DeletionCount&) { return *this; }

    // The counter, for a copy that is to count into it as well.
    int* Counter() const { return counter_; }

private:
    int* counter_;
};
