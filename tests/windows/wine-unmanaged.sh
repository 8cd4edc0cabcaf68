#!/usr/bin/env bash
# Runs a Windows program under Wine with its windows kept from a window manager (the X11
# driver's Managed=N): the virtual screens of the tests run none, and Wine would wait two
# seconds for one at every window that closes. The setting stays in the test run's prefix.
set -euo pipefail
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
exec wine "$@"
