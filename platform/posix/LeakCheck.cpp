#include "platform/LeakCheck.h"

#if defined(__SANITIZE_ADDRESS__)
#define KM_LEAK_CHECK 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KM_LEAK_CHECK 1
#endif
#endif

#ifdef KM_LEAK_CHECK
#include <sanitizer/lsan_interface.h>
#endif

namespace platform {

void checkLeaksNow() {
#ifdef KM_LEAK_CHECK
  __lsan_do_leak_check();
#endif
}

}  // namespace platform
