#pragma once

// The messages the roster tests and their helper program (RosterTestApp.cpp) exchange.

#include <SupportDefs.h>

enum : uint32 {
    kTestBroadcast = 'tbct', // "seq": int32
    kTestQuit = 'tqui',
};
