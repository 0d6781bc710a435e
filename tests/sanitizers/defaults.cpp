// Sanitizer settings built into every program of the checked builds (asan, fuzz), so
// the tools that run while the content is made, the tests and the fuzz targets all
// stop at the first report and use the same leak suppressions, whatever environment
// they are started from. ASAN_OPTIONS, UBSAN_OPTIONS and LSAN_OPTIONS still add to or
// override these. The system libraries keep no frame pointers, so a leak's stack
// stops at the library function that allocated; ASAN_OPTIONS=fast_unwind_on_malloc=0
// shows the whole stack, our callers included (slowly).
extern "C" {

const char *__asan_default_options() {
    return "detect_leaks=1:abort_on_error=0:detect_stack_use_after_return=1:"
           "strict_string_checks=1:check_initialization_order=1";
}

const char *__ubsan_default_options() { return "print_stacktrace=1:halt_on_error=1"; }

const char *__lsan_default_options() { return "suppressions=" VESPERTIL_LSAN_SUPPRESSIONS; }

} // extern "C"
