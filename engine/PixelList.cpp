#include <algorithm>
#include <new>

#include "engine/PaintCanvas.h"

namespace {

// Arrays grow in steps of five entries; spare arrays are kept by size up to this many steps.
constexpr std::int32_t kGrowth = 5;
constexpr std::size_t kSpareClasses = 64;
// Blocks for lists growing one entry at a time start small (a brush preview holds little paint) and
// double up to a bound, so a large painting needs few of them and a small one wastes little.
constexpr std::size_t kFirstBlock = 1024;
constexpr std::size_t kLargestBlock = std::size_t{1} << 20;

} // namespace

bool PixelArena::AddBlock(std::size_t entries) {
    try {
        blocks_.reserve(blocks_.size() + 1);
    } catch (const std::bad_alloc&) {
        return false;
    }
    PixelEntry* block = new (std::nothrow) PixelEntry[entries];
    if (block == nullptr) {
        return false;
    }
    blocks_.emplace_back(block);
    next_ = block;
    left_ = entries;
    lastBlock_ = entries;
    held_ += entries;
    return true;
}

bool PixelArena::Reserve(std::size_t entries) {
    if (entries <= left_) {
        return true;
    }
    // What is left of the current block is given up; a block counted to size leaves nothing over.
    return AddBlock(entries);
}

PixelEntry* PixelArena::Allocate(std::int32_t capacity) {
    if (capacity <= 0) {
        return nullptr;
    }
    const std::size_t size = static_cast<std::size_t>(capacity);
    if (capacity % kGrowth == 0) {
        const std::size_t cls = size / kGrowth - 1;
        if (cls < spare_.size() && !spare_[cls].empty()) {
            PixelEntry* reused = spare_[cls].back();
            spare_[cls].pop_back();
            return reused;
        }
    }
    if (size > left_) {
        const std::size_t grown = std::clamp(2 * lastBlock_, kFirstBlock, kLargestBlock);
        if (!AddBlock(std::max(size, grown))) {
            return nullptr;
        }
    }
    PixelEntry* carved = next_;
    next_ += size;
    left_ -= size;
    return carved;
}

void PixelArena::Recycle(PixelEntry* entries, std::int32_t capacity) noexcept {
    if (entries == nullptr || capacity <= 0 || capacity % kGrowth != 0) {
        return;
    }
    const std::size_t cls = static_cast<std::size_t>(capacity) / kGrowth - 1;
    if (cls >= kSpareClasses) {
        return; // rare large arrays stay unused until the grid goes
    }
    try {
        if (spare_.size() <= cls) {
            spare_.resize(cls + 1);
        }
        spare_[cls].push_back(entries);
    } catch (const std::bad_alloc&) {
        // Not kept for reuse; the memory returns with the arena.
    }
}

std::int32_t PixelList::CapacityFor(std::int32_t more) const {
    if (count + more <= capacity) {
        return capacity;
    }
    // Insert grows a full array by five at a time.
    return capacity + (count + more - capacity + kGrowth - 1) / kGrowth * kGrowth;
}

void PixelList::MoveTo(PixelEntry* grown, std::int32_t newCapacity, PixelArena& arena) {
    std::copy_n(entries, count, grown);
    arena.Recycle(entries, capacity);
    entries = grown;
    capacity = newCapacity;
}

ResultCode PixelList::Insert(const PixelEntry& entry, PixelArena& arena) {
    if (count >= capacity) {
        // Grow by at least five so that millions of lists stay small yet rarely move.
        const std::int32_t newCapacity = capacity + std::max(count - capacity + 1, kGrowth);
        PixelEntry* grown = arena.Allocate(newCapacity);
        if (grown == nullptr) {
            return Result::OutOfMemory;
        }
        MoveTo(grown, newCapacity, arena);
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

void PixelList::Release(PixelArena& arena) {
    arena.Recycle(entries, capacity);
    entries = nullptr;
    count = 0;
    capacity = 0;
}
