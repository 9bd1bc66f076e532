#!/usr/bin/env bash
# The tests that read the machine, run again in the shapes of machines that
# newcomers bring. By hand, as root, after ./scripts/test has built everything:
# the mounts need a private mount namespace, which unprivileged containers
# refuse, so this is no part of ./scripts/test.
#   one-processor     the process may use one processor of the machine's
#                     (taskset -c 0, as a container's cpuset or Kubernetes)
#   kernel-name       /proc/cpuinfo names another processor than CPUID does
#                     (a VM moved to another host since it booted)
#   container-memory  /proc/meminfo says 8 GiB (lxcfs in LXC, LXD, Proxmox)
# usage: tests/machine_shapes.sh [SHAPE...]   (all three by default)
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
shapes=("$@")
[ $# -eq 0 ] && shapes=(one-processor kernel-name container-memory)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sed 's/^\(model name[[:space:]]*:\).*/\1 Kernel Named Processor @ 1.00GHz/' /proc/cpuinfo >"$work/cpuinfo"
sed 's/^MemTotal:.*/MemTotal:        8388608 kB/' /proc/meminfo >"$work/meminfo"

# Every test that compares a report with the machine: the Linux builds', and
# the Windows hosts' under each Wine.
machine_tests() {
  local status=0 preset
  cd "$root" || return 1
  for preset in linux linux-asan; do
    scripts/with-display ctest --preset "$preset" -R 'system_probe_test|host_cli_test' \
      --output-on-failure || status=1
  done
  local hosts='^windows_host_(display|no-display|gl-3.0)$'
  scripts/with-display scripts/with-wine --fresh ctest --preset windows -R "$hosts" \
    --output-on-failure || status=1
  scripts/with-display scripts/with-wine --arm64 --fresh ctest --preset windows-arm64 -R "$hosts" \
    --output-on-failure || status=1
  return $status
}

in_shape() {  # in_shape SHAPE COMMAND...
  local shape=$1; shift
  case $shape in
    one-processor) taskset -c 0 "$@" ;;
    kernel-name) unshare -m bash -c 'mount --bind "$0" /proc/cpuinfo && exec "$@"' "$work/cpuinfo" "$@" ;;
    container-memory) unshare -m bash -c 'mount --bind "$0" /proc/meminfo && exec "$@"' "$work/meminfo" "$@" ;;
    *) echo "machine_shapes.sh: unknown shape $shape" >&2; return 2 ;;
  esac
}

export -f machine_tests
export root
status=0
for shape in "${shapes[@]}"; do
  echo "== $shape: $(in_shape "$shape" sh -c 'echo "$(nproc) of $(getconf _NPROCESSORS_ONLN) processors;" \
    "$(grep -m1 "model name" /proc/cpuinfo);" "$(grep MemTotal /proc/meminfo)"')"
  in_shape "$shape" bash -c machine_tests || status=1
done
exit $status
