# Sourced: the environment of every Wine process of the tests. The prefix
# lives inside build/. Where this machine runs 32-bit code only through qemu,
# the emulated address space is kept to what a 32-bit Windows process uses:
# Wine otherwise spends close to a minute reserving the rest at every start.
fwlaunch_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
export WINEPREFIX="${WINEPREFIX:-$fwlaunch_root/build/wineprefix}"
export WINEDEBUG=-all
export QEMU_RESERVED_VA="${QEMU_RESERVED_VA:-0x81000000}"
export PATH="$fwlaunch_root/testing/scripts/wine-loader:$PATH"
