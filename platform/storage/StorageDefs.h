#pragma once

// Limits and flags shared by the storage kit. The values are the classic ones, so that code
// written for the original system passes the same numbers; BFile translates them to Linux flags.

#include <SupportDefs.h>

#define B_FILE_NAME_LENGTH 256
#define B_PATH_NAME_LENGTH 1024
#define B_ATTR_NAME_LENGTH (B_FILE_NAME_LENGTH - 1)

// Open modes of BFile: one access mode, or-ed with any of the flags after it.
enum {
    B_READ_ONLY = 0,
    B_WRITE_ONLY = 1,
    B_READ_WRITE = 2,
    B_OPEN_MODE_MASK = 0x03,

    B_FAIL_IF_EXISTS = 0x0100, // with B_CREATE_FILE: fail when the file is already there
    B_CREATE_FILE = 0x0200,
    B_ERASE_FILE = 0x0400,  // truncate to zero length on opening
    B_OPEN_AT_END = 0x0800, // every write appends, whatever the position (O_APPEND)
};

// Kinds of node, for BDirectory::Contains().
enum node_flavor {
    B_FILE_NODE = 0x01,
    B_SYMLINK_NODE = 0x02,
    B_DIRECTORY_NODE = 0x04,
    B_ANY_NODE = 0x07,
};
