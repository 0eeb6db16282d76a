// Leak checking (sanitizer builds): Assimp 5.2 leaks a few objects on some of its own error paths.
extern "C" const char *__lsan_default_suppressions();
extern "C" const char *__lsan_default_suppressions() {
    return "leak:libassimp.so\n";
}
