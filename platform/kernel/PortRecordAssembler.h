#pragma once

// The owner's side of one writer's connection: it reads the writer's packets (PortWire.h) one
// at a time and tells the owner what to do. It knows nothing of sockets or queues, so every
// byte sequence a peer can send can be run through it alone.

#include "PortWire.h"

#include <vector>

class BPortRecordAssembler {
public:
    enum Event {
        kNothing,    // a part of a record was taken
        kAsked,      // the writer asks for a place: answer with Granted() or Refused()
        kCancelled,  // the writer gave up an ask that had no place yet
        kReleased,   // the writer gave up an ask whose place was kept: free the place
        kRecordDone, // a whole record came, into the kept place: TakeRecord()
        kBroken,     // the writer broke the protocol: drop the connection
    };

    Event Take(const uint8* packet, size_t length);

    void Granted();
    void Refused();

    uint32 Sequence() const { return fSequence; }
    bool AnswerAtOnce() const { return fAnswerAtOnce; }
    // An ask is open and waits for an answer.
    bool Asking() const { return fState == kWaitingForPlace; }
    // A place is kept for this connection: freed when the connection goes.
    bool HoldsPlace() const { return fState == kPlaceKept || fState == kReceiving; }

    int32 Code() const { return fCode; }
    std::vector<uint8> TakeRecord() { return std::move(fData); }

private:
    enum State { kIdle, kWaitingForPlace, kPlaceKept, kReceiving };

    Event TakeAsk(const uint8* packet, size_t length);
    Event TakeCancel(const uint8* packet, size_t length);
    Event TakeRecordStart(const uint8* packet, size_t length);
    Event TakeMore(const uint8* packet, size_t length);
    Event Append(const uint8* bytes, size_t length);

    State fState = kIdle;
    uint32 fSequence = 0;
    bool fAnswerAtOnce = false;
    int32 fCode = 0;
    uint32 fSize = 0;
    std::vector<uint8> fData;
};
