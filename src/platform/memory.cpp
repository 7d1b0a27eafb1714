#include "platform/memory.h"

#include <malloc.h>

#include <mutex>

namespace platform {

namespace {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitizerHeap = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
constexpr bool kSanitizerHeap = true;
#else
constexpr bool kSanitizerHeap = false;
#endif
#else
constexpr bool kSanitizerHeap = false;
#endif

}  // namespace

void give_back_free_memory() {
    if constexpr (kSanitizerHeap) return;
    // The first trim of a heap also sets it up; two at once could walk it
    // half set up.
    static std::mutex trimming;
    std::lock_guard lock(trimming);
    malloc_trim(0);
}

}  // namespace platform
