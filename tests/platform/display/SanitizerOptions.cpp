// Sanitizer settings for the display's test programs, compiled into each of them (the
// sanitizer runtimes look these functions up in the program; other builds never call them).
// The suppressions files say why each entry is there. LSAN_OPTIONS and TSAN_OPTIONS in the
// environment still override these.

extern "C" const char* __lsan_default_options()
{
    return "suppressions=" DISPLAY_LSAN_SUPPRESSIONS;
}

extern "C" const char* __tsan_default_options()
{
    return "suppressions=" DISPLAY_TSAN_SUPPRESSIONS;
}
