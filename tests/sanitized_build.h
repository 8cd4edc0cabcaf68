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
