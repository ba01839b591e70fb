# Sourced by the sanitized test run and the fuzz scripts: how the sanitizers report.
# Every report ends the process with an error (halt_on_error, and the build's
# -fno-sanitize-recover=all), so no finding can scroll past unnoticed.
# Leaks are checked. The few that Qt and the system libraries keep until exit
# (font and platform-plugin caches, loaded once per process) are suppressed by library
# name in scripts/lsan.supp; a leak of ours still fails the run.
_kvu_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:abort_on_error=0:detect_stack_use_after_return=0:allocator_may_return_null=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export LSAN_OPTIONS=suppressions=$_kvu_root/scripts/lsan.supp:print_suppressions=0
