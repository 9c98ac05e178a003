#include "PortRecordAssembler.h"

using namespace BPortWire;

BPortRecordAssembler::Event BPortRecordAssembler::Take(const uint8* packet, size_t length)
{
    if (length < 4 || length > kMaxPacket)
        return kBroken;
    switch (get32(packet)) {
    case kAsk:
        return TakeAsk(packet, length);
    case kCancel:
        return TakeCancel(packet, length);
    case kRecord:
        return TakeRecordStart(packet, length);
    case kMore:
        return TakeMore(packet, length);
    default:
        return kBroken;
    }
}

void BPortRecordAssembler::Granted()
{
    if (fState == kWaitingForPlace)
        fState = kPlaceKept;
}

void BPortRecordAssembler::Refused()
{
    if (fState == kWaitingForPlace)
        fState = kIdle;
}

BPortRecordAssembler::Event BPortRecordAssembler::TakeAsk(const uint8* packet, size_t length)
{
    if (length != kAskSize || fState != kIdle)
        return kBroken;
    fSequence = get32(packet + 4);
    fAnswerAtOnce = (get32(packet + 8) & kAnswerAtOnce) != 0;
    fState = kWaitingForPlace;
    return kAsked;
}

BPortRecordAssembler::Event BPortRecordAssembler::TakeCancel(const uint8* packet, size_t length)
{
    if (length != kCancelSize || get32(packet + 4) != fSequence)
        return kBroken;
    if (fState == kWaitingForPlace) {
        fState = kIdle;
        return kCancelled;
    }
    if (fState == kPlaceKept) {
        fState = kIdle;
        return kReleased;
    }
    return kBroken;
}

BPortRecordAssembler::Event BPortRecordAssembler::TakeRecordStart(const uint8* packet,
                                                                  size_t length)
{
    if (length < kRecordHeaderSize || fState != kPlaceKept || get32(packet + 4) != fSequence)
        return kBroken;
    uint32 size = get32(packet + 12);
    if (size > B_MAX_PORT_RECORD_SIZE)
        return kBroken;
    fCode = static_cast<int32>(get32(packet + 8));
    fSize = size;
    fData.clear();
    // Grown as bytes come rather than reserved from the announced size.
    fState = kReceiving;
    return Append(packet + kRecordHeaderSize, length - kRecordHeaderSize);
}

BPortRecordAssembler::Event BPortRecordAssembler::TakeMore(const uint8* packet, size_t length)
{
    if (length <= kMoreHeaderSize || fState != kReceiving)
        return kBroken;
    return Append(packet + kMoreHeaderSize, length - kMoreHeaderSize);
}

BPortRecordAssembler::Event BPortRecordAssembler::Append(const uint8* bytes, size_t length)
{
    if (length > fSize - fData.size())
        return kBroken;
    fData.insert(fData.end(), bytes, bytes + length);
    if (fData.size() < fSize)
        return kNothing;
    fState = kIdle;
    return kRecordDone;
}
