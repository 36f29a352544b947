#include <algorithm>
#include <new>

#include "engine/PaintCanvas.h"

PixelList& PixelList::operator=(PixelList&& o) noexcept {
    if (this != &o) {
        delete[] entries;
        count = o.count;
        capacity = o.capacity;
        entries = o.entries;
        o.count = o.capacity = 0;
        o.entries = nullptr;
    }
    return *this;
}

ResultCode PixelList::Insert(const PixelEntry& entry) {
    if (count >= capacity) {
        // Grow by at least five so that millions of lists stay small yet rarely reallocate.
        const std::int32_t newCapacity = capacity + std::max(count - capacity + 1, 5);
        PixelEntry* grown = new (std::nothrow) PixelEntry[static_cast<std::size_t>(newCapacity)];
        if (grown == nullptr) {
            return Result::OutOfMemory;
        }
        std::copy_n(entries, count, grown);
        delete[] entries;
        entries = grown;
        capacity = newCapacity;
    }
    // Descending order of top; an equal top goes after the older entries.
    std::int32_t position = 0;
    while (position < count && !(entries[position].top < entry.top)) {
        ++position;
    }
    std::copy_backward(entries + position, entries + count, entries + count + 1);
    entries[position] = entry;
    ++count;
    return Result::Success;
}

bool PixelList::ReserveForInserts(std::int32_t more) {
    if (count + more <= capacity) {
        return true;
    }
    // Insert grows a full array by five at a time.
    const std::int32_t newCapacity = capacity + (count + more - capacity + 4) / 5 * 5;
    PixelEntry* grown = new (std::nothrow) PixelEntry[static_cast<std::size_t>(newCapacity)];
    if (grown == nullptr) {
        return false;
    }
    std::copy_n(entries, count, grown);
    delete[] entries;
    entries = grown;
    capacity = newCapacity;
    return true;
}

bool PixelList::RemoveFirst(std::int32_t id) {
    for (std::int32_t i = 0; i < count; ++i) {
        if (entries[i].id == id) {
            std::copy(entries + i + 1, entries + count, entries + i);
            --count;
            return true;
        }
    }
    return false;
}

void PixelList::Release() {
    delete[] entries;
    entries = nullptr;
    count = 0;
    capacity = 0;
}
