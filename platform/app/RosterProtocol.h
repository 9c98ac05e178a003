#pragma once

// What passes between processes on behalf of the roster, in one place. docs/roster.md tells
// the whole story.
//
// Every BApplication owns an inbox: a port (OS.h) named
//
//     "app-inbox:<pid>:<hash>"
//
// where <pid> is the process id in decimal and <hash> the 32-bit FNV-1a hash of the
// application's signature in eight lower-case hex digits (port names are short: the whole
// signature would not fit). The name tells the roster which processes run which application
// without asking them.
//
// An inbox accepts one kind of record:
//
//   kBroadcastRecord 'rbct'   sent by BRoster::Broadcast, from any process of the same user
//                             (the sender's own application included).
//                             Bytes: one flattened BMessage (docs/message-format.md), nothing
//                             before or after it.
//                             The inbox posts the message to its application, marked
//                             B_ORIGIN_REMOTE, after removing every pointer field (pointers
//                             mean nothing outside the process that made them).
//
// Any other record — another code, bytes that are not exactly one flattened message — is
// dropped, and the inbox reads on.

#include <Message.h>
#include <OS.h>
#include <SupportDefs.h>

#include <string>

namespace BPrivate {
namespace roster_protocol {

inline constexpr char kInboxPrefix[] = "app-inbox:";
inline constexpr int32 kBroadcastRecord = 'rbct';
// Records an inbox holds before writers have to wait.
inline constexpr int32 kInboxCapacity = 64;
// How long Broadcast waits for room in one inbox before it passes it by.
inline constexpr bigtime_t kBroadcastTimeout = 250000;

uint32 signature_hash(const char* signature);
std::string inbox_name(team_id team, const char* signature);
// Reads an inbox name back; false for any other port name.
bool parse_inbox_name(const char* name, team_id* team, uint32* signatureHash);

// Turns an inbox record into the message to post: B_OK, or B_BAD_VALUE for a record that is
// not a broadcast, or the error of BMessage::Unflatten.
status_t decode_inbox_record(int32 code, const void* bytes, size_t size, BMessage* message);

} // namespace roster_protocol
} // namespace BPrivate
