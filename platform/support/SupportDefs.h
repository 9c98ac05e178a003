#pragma once

// Fixed-size integer names, status codes and a few helpers shared by every kit.

#include <cstddef>
#include <cstdint>
#include <sys/types.h>

#include <Errors.h>

typedef int8_t int8;
typedef uint8_t uint8;
typedef unsigned char uchar;
typedef int16_t int16;
typedef uint16_t uint16;
typedef int32_t int32;
typedef uint32_t uint32;
typedef int64_t int64;
typedef uint64_t uint64;

typedef int32 status_t;
typedef uint32 type_code;
typedef uint32 perform_code;
typedef int64 bigtime_t;

#ifndef B_INFINITE_TIMEOUT
#define B_INFINITE_TIMEOUT INT64_MAX
#endif

#define B_EMPTY_STRING ""

// Turns an errno value into the status code the kits report for it.
status_t B_FROM_POSIX_ERROR(int error);
