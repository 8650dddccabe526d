#include "winbase/dpi_scale.h"

namespace tdx {

int WindowDpi(HWND) noexcept { return kDesignDpi; }

}  // namespace tdx
