// Feeds arbitrary packets to the owner's side of a port connection, as a writer of another
// process might send them, with an owner that grants or withholds places as the input says.
// Input: one byte of owner choices, then packets, each a 16-bit little-endian length and that
// many bytes. Whatever comes, the owner's account of kept places must stay exact, and no record
// may be larger than announced or than B_MAX_PORT_RECORD_SIZE.

#include <PortRecordAssembler.h>

#include <cstdint>
#include <cstdlib>

namespace {

void check(bool condition)
{
    if (!condition)
        abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    uint8 choices = data[0];
    size_t offset = 1;
    BPortRecordAssembler assembler;
    int kept = 0; // places the owner keeps for this connection
    int choice = 0;
    auto nextChoice = [&] { return (choices >> (choice++ % 8)) & 1; };

    while (offset + 2 <= size) {
        size_t length = data[offset] | static_cast<size_t>(data[offset + 1]) << 8;
        offset += 2;
        if (length > size - offset)
            length = size - offset;
        const uint8* packet = data + offset;
        offset += length;

        // An ask left waiting may get its place before the next packet.
        if (assembler.Asking() && nextChoice()) {
            assembler.Granted();
            kept++;
        }
        switch (assembler.Take(packet, length)) {
        case BPortRecordAssembler::kAsked:
            if (nextChoice()) {
                assembler.Granted();
                kept++;
            } else if (assembler.AnswerAtOnce()) {
                assembler.Refused();
            }
            break;
        case BPortRecordAssembler::kReleased:
            kept--;
            break;
        case BPortRecordAssembler::kRecordDone: {
            kept--;
            std::vector<uint8> record = assembler.TakeRecord();
            check(record.size() <= B_MAX_PORT_RECORD_SIZE);
            break;
        }
        case BPortRecordAssembler::kBroken:
            // The owner drops the connection and frees what it held.
            if (assembler.HoldsPlace())
                kept--;
            check(kept == 0);
            return 0;
        case BPortRecordAssembler::kNothing:
        case BPortRecordAssembler::kCancelled:
            break;
        }
        check(kept == (assembler.HoldsPlace() ? 1 : 0));
    }
    return 0;
}
