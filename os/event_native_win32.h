// The Windows event: an auto-reset event object.
#pragma once

#include "event.h"
#include "unique_handle_win32.h"

namespace Velotrax::os {

struct Event::Native {
  UniqueHandle handle;
};

}  // namespace Velotrax::os
