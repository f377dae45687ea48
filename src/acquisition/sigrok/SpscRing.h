#pragma once

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <span>

namespace tavrel {

// A bounded ring between one producer thread and one consumer thread, without locks: the
// producer only moves the tail, the consumer only the head. Capacity is a power of two, so the
// indices run freely and wrap by masking. Push and Pop move as much as fits and say how much.
template <typename T> class SpscRing {
public:
    // Room for at least minimumCapacity elements (rounded up to a power of two, at least 2).
    explicit SpscRing(std::size_t minimumCapacity)
        : capacity_(std::bit_ceil(std::max<std::size_t>(minimumCapacity, 2))), mask_(capacity_ - 1),
          items_(std::make_unique<T[]>(capacity_)) {}

    SpscRing(const SpscRing&) = delete;
    SpscRing& operator=(const SpscRing&) = delete;

    std::size_t Capacity() const { return capacity_; }

    // Producer: free room now (it only grows until the producer pushes).
    std::size_t Free() const {
        return capacity_ -
               (tail_.load(std::memory_order_relaxed) - head_.load(std::memory_order_acquire));
    }
    // Producer: stores as many of items as fit; returns how many.
    std::size_t Push(std::span<const T> items) {
        const std::size_t tail = tail_.load(std::memory_order_relaxed);
        const std::size_t room = capacity_ - (tail - head_.load(std::memory_order_acquire));
        const std::size_t n = std::min(room, items.size());
        const std::size_t at = tail & mask_;
        const std::size_t first = std::min(n, capacity_ - at);
        std::copy_n(items.begin(), first, items_.get() + at);
        std::copy_n(items.begin() + static_cast<std::ptrdiff_t>(first), n - first, items_.get());
        tail_.store(tail + n, std::memory_order_release);
        return n;
    }

    // Consumer: elements ready now (it only grows until the consumer pops).
    std::size_t Available() const {
        return tail_.load(std::memory_order_acquire) - head_.load(std::memory_order_relaxed);
    }
    // Consumer: moves as many elements as are ready and fit into out; returns how many.
    std::size_t Pop(std::span<T> out) {
        const std::size_t head = head_.load(std::memory_order_relaxed);
        const std::size_t ready = tail_.load(std::memory_order_acquire) - head;
        const std::size_t n = std::min(ready, out.size());
        const std::size_t at = head & mask_;
        const std::size_t first = std::min(n, capacity_ - at);
        std::copy_n(items_.get() + at, first, out.begin());
        std::copy_n(items_.get(), n - first, out.begin() + static_cast<std::ptrdiff_t>(first));
        head_.store(head + n, std::memory_order_release);
        return n;
    }

    // Consumer: drops everything ready now.
    void Discard() {
        head_.store(tail_.load(std::memory_order_acquire), std::memory_order_release);
    }

private:
    static constexpr std::size_t CacheLine = 64;

    const std::size_t capacity_;
    const std::size_t mask_;
    std::unique_ptr<T[]> items_;
    // Apart, so the two threads do not share a cache line.
    alignas(CacheLine) std::atomic<std::size_t> head_{0};
    alignas(CacheLine) std::atomic<std::size_t> tail_{0};
};

} // namespace tavrel
