// Sanitizer settings for the interface kit's test programs, compiled into each of them (the
// sanitizer runtimes look these functions up in the program; other builds never call them).
// Each suppressions file says why its entries are there.
//
// fontconfig keeps a little of the configuration it parsed until the process ends; the
// suppressions in lsan.supp name exactly those allocations. Their stacks pass through
// fontconfig, which has no frame pointers, so allocations are unwound the slow way or the
// suppressions would never see the frames they name. LSAN_OPTIONS, ASAN_OPTIONS and
// TSAN_OPTIONS in the environment still override these.

extern "C" const char* __lsan_default_options()
{
    return "suppressions=" INTERFACE_LSAN_SUPPRESSIONS;
}

extern "C" const char* __asan_default_options()
{
    return "fast_unwind_on_malloc=0";
}

extern "C" const char* __tsan_default_options()
{
    return "suppressions=" INTERFACE_TSAN_SUPPRESSIONS;
}
