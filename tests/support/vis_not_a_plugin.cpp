// A shared object without the plug-in entry.
extern "C" __attribute__((visibility("default"))) int calvoran_something_else(void);
int calvoran_something_else(void) {
    return 42;
}
