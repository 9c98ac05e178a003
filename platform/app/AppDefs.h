#pragma once

// The command codes of the messages the kits send and understand. The values are the classic
// ones, so that messages compare the same as on the original system.

#include <Entry.h>
#include <OS.h>

enum {
    // Application
    B_ABOUT_REQUESTED = '_ABR',
    B_APP_ACTIVATED = '_ACT',
    B_ARGV_RECEIVED = '_ARG',
    B_PULSE = '_PUL',
    B_QUIT_REQUESTED = '_QRQ',
    B_READY_TO_RUN = '_RTR',
    B_REFS_RECEIVED = 'RREF',

    // Input
    B_KEY_DOWN = '_KYD',
    B_KEY_UP = '_KYU',
    B_UNMAPPED_KEY_DOWN = '_UKD',
    B_UNMAPPED_KEY_UP = '_UKU',
    B_MODIFIERS_CHANGED = '_MCH',
    B_MOUSE_DOWN = '_MDN',
    B_MOUSE_MOVED = '_MMV',
    B_MOUSE_UP = '_MUP',
    B_MOUSE_WHEEL_CHANGED = '_MWC',

    // Windows and views
    B_WINDOW_ACTIVATED = '_ACT',
    B_WINDOW_MOVED = '_WMV',
    B_WINDOW_RESIZED = '_WRS',
    B_VIEW_MOVED = '_VMV',
    B_VIEW_RESIZED = '_VRS',
    B_ZOOM = '_WZM',
    B_MINIMIZE = '_WMZ',
    B_SCREEN_CHANGED = '_SCH',
    B_VALUE_CHANGED = '_VCH',

    // Replies
    B_NO_REPLY = '_NRP',
    B_REPLY = '_RPY',
    B_MESSAGE_NOT_UNDERSTOOD = '_MNU',

    // Data and editing
    B_SIMPLE_DATA = 'DATA',
    B_MIME_DATA = 'MIME',
    B_ARCHIVED_OBJECT = 'ARCV',
    B_CANCEL = '_CNC',
    B_CUT = 'CCUT',
    B_COPY = 'COPY',
    B_PASTE = 'PSTE',
    B_SELECT_ALL = 'SALL',
    B_UNDO = 'UNDO',

    // Scripting
    B_SET_PROPERTY = 'PSET',
    B_GET_PROPERTY = 'PGET',
    B_CREATE_PROPERTY = 'PCRT',
    B_DELETE_PROPERTY = 'PDEL',
    B_GET_SUPPORTED_SUITES = 'SUIT',
};

// ---------------------------------------------------------------------------------------------
// What the kits tell about a running application (BApplication::GetAppInfo, the roster).

#ifndef B_MIME_TYPE_LENGTH
#define B_MIME_TYPE_LENGTH (B_ATTR_NAME_LENGTH - 15)
#endif

// Launch behaviour and kind of an application, in app_info::flags.
enum {
    B_SINGLE_LAUNCH = 0x0,
    B_MULTIPLE_LAUNCH = 0x1,
    B_EXCLUSIVE_LAUNCH = 0x2,
    B_LAUNCH_MASK = 0x3,
    B_BACKGROUND_APP = 0x4,
    B_ARGV_ONLY = 0x8,
};

struct app_info {
    thread_id thread = -1; // the thread that runs the application's loop
    team_id team = -1;     // the process id
    port_id port = -1;     // the application's inbox for other processes; -1 without one
    uint32 flags = 0;
    entry_ref ref; // the executable
    char signature[B_MIME_TYPE_LENGTH] = {};
};
