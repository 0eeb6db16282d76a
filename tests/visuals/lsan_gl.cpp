// Leak checking (sanitizer builds) is off for the GL programs: Mesa's driver is unloaded at exit,
// leaving allocations (its own, Qt's GL integration's and D-Bus's) the checker cannot attribute or
// suppress. Address and undefined-behaviour checks stay on.
extern "C" const char *__asan_default_options();
extern "C" const char *__asan_default_options() {
    return "detect_leaks=0";
}
