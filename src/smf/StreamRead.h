#pragma once

#include <SupportDefs.h>

#include <vector>

class BPositionIO;

// Reads exactly count bytes into data. A count larger than what the stream still holds fails
// (-1) without allocating it, so that a damaged length field cannot claim gigabytes.
int32 read_exactly(BPositionIO* stream, unsigned long count, std::vector<unsigned char>* data);
