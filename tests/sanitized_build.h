// Whether this test program is built with AddressSanitizer or ThreadSanitizer. Such a build keeps
// freed memory aside and runs threads of its own, so resident memory says nothing about leaks.
#pragma once

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitizedBuild = true;
#elif defined(__has_feature)
constexpr bool kSanitizedBuild =
    __has_feature(address_sanitizer) || __has_feature(thread_sanitizer);
#else
constexpr bool kSanitizedBuild = false;
#endif

// ThreadSanitizer defers a signal that arrives outside a blocking call to its next intercepted
// call, and at times drops it there without calling the program's handler (seen with strace: its
// handler takes SIGTERM, its pending-signal pass runs, the program's handler never does). Tests
// of what a signal does cannot hold in such a build.
#if defined(__SANITIZE_THREAD__)
constexpr bool kSignalsMayBeLost = true;
#elif defined(__has_feature)
constexpr bool kSignalsMayBeLost = __has_feature(thread_sanitizer);
#else
constexpr bool kSignalsMayBeLost = false;
#endif
