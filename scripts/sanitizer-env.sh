# Sourced by the sanitized test run and the fuzz scripts: how the sanitizers report.
# Every report ends the process with an error (halt_on_error, and the build's
# -fno-sanitize-recover=all), so no finding can scroll past unnoticed.
# Leaks are checked too: what Qt keeps until exit stays reachable from its globals, so
# LeakSanitizer reports only memory that nothing points to any more, and the suite runs
# clean without suppressions. A leak therefore fails the run like any other report.
# A report exits with 86 (a leak with 23), never with an exit code the programs use.
# intercept_tls_get_addr=0: clang 14's leak checker, tracking the dynamic TLS of the
# libraries a test loads at run time (the picture codecs and Qt's image plugins), reads a
# bogus range on this glibc and its tracer crashes at exit, after the test has passed
# (PictureImport.FormatsConvertLikeColourPictures, every run); heap leaks are still found.
export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=0:exitcode=86:intercept_tls_get_addr=0
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1:exitcode=86
