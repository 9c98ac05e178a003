#include "SMF.h"

#include "StreamRead.h"

#include <DataIO.h>
#include <Entry.h>
#include <File.h>

#include <algorithm>
#include <cstring>
#include <new>

void TSMF::Clear()
{
    fTracks.clear();
    fFormat = 0;
    fTimeBase = 0;
}

int32 TSMF::Load(BPositionIO* stream)
{
    unsigned short trackCount;
    if (LoadHeader(stream, &trackCount) != 0)
        return -1;
    for (unsigned short i = 0; i < trackCount; i++) {
        auto track = std::make_unique<TSMFTrack>();
        if (track->Load(stream) != 0)
            return -1;
        fTracks.push_back(std::move(track));
    }
    return 0;
}

int32 TSMF::LoadHeader(BPositionIO* stream, unsigned short* trackCount)
{
    Clear();
    char id[4];
    if (stream->Read(id, sizeof(id)) != (ssize_t)sizeof(id) || memcmp(id, "MThd", 4) != 0)
        return -1;
    unsigned long headerLength;
    if (read_uint32(stream, &headerLength) != 0)
        return -1;
    if (read_uint16(stream, &fFormat) != 0 || fFormat > 1)
        return -1;
    if (read_uint16(stream, trackCount) != 0)
        return -1;
    // Of a format-0 file only the first track chunk is read, whatever the header says.
    if (fFormat == 0 && *trackCount != 0)
        *trackCount = 1;
    if (read_uint16(stream, &fTimeBase) != 0)
        return -1;
    if (headerLength > 6) {
        off_t target = stream->Position() + (off_t)(headerLength - 6);
        if (stream->Seek(target, SEEK_SET) != target)
            return -1;
    }
    return 0;
}

status_t TSMF::Load(const entry_ref& ref)
{
    BFile file(&ref, B_READ_ONLY);
    status_t status = file.InitCheck();
    if (status != B_OK)
        return status;
    return Load(&file);
}

int32 TSMF::Save(BPositionIO* stream) const
{
    if (stream->Write("MThd", 4) != 4 || write_uint32(stream, 6) != 0 ||
        write_uint16(stream, fFormat) != 0 || write_uint16(stream, (uint16)fTracks.size()) != 0 ||
        write_uint16(stream, fTimeBase) != 0) {
        return -1;
    }
    for (const auto& track : fTracks) {
        if (track->Save(stream) != 0)
            return -1;
        if (fFormat == 0)
            break;
    }
    return 0;
}

status_t TSMF::Save(const entry_ref& ref) const
{
    BFile file(&ref, B_WRITE_ONLY | B_CREATE_FILE | B_ERASE_FILE);
    status_t status = file.InitCheck();
    if (status != B_OK)
        return status;
    // The writer works in many small pieces; gather them and hand the file one write.
    BMallocIO buffer;
    if (Save(&buffer) != 0)
        return -1;
    ssize_t written = file.Write(buffer.Buffer(), buffer.BufferLength());
    return written == (ssize_t)buffer.BufferLength() ? 0 : -1;
}

int32 TSMF::AddTrack(TSMFTrack* track)
{
    fTracks.emplace_back(track);
    return 0;
}

int32 TSMF::RemoveTrack(long index)
{
    fTracks.erase(fTracks.begin() + index);
    return 0;
}

int32 TSMF::SetFormat(unsigned short format)
{
    if (format > 1)
        return -1;
    fFormat = format;
    return 0;
}

int32 TSMF::SetTimeBase(unsigned short timeBase)
{
    fTimeBase = timeBase;
    return 0;
}

int32 TSMF::GetTitle(std::string* title) const
{
    int32 result = -1;
    for (const auto& track : fTracks) {
        result = track->GetTrackName(title);
        if (result == 0)
            break;
    }
    return result;
}

// #pragma mark - big-endian integers

int32 read_uint16(BPositionIO* stream, unsigned short* value)
{
    unsigned char bytes[2];
    if (stream->Read(bytes, 2) != 2)
        return -1;
    *value = (unsigned short)((bytes[0] << 8) | bytes[1]);
    return 0;
}

int32 read_uint32(BPositionIO* stream, unsigned long* value)
{
    unsigned char bytes[4];
    if (stream->Read(bytes, 4) != 4)
        return -1;
    *value = ((unsigned long)bytes[0] << 24) | ((unsigned long)bytes[1] << 16) |
             ((unsigned long)bytes[2] << 8) | bytes[3];
    return 0;
}

int32 write_uint16(BPositionIO* stream, unsigned short value)
{
    unsigned char bytes[2] = {(unsigned char)(value >> 8), (unsigned char)value};
    return stream->Write(bytes, 2) == 2 ? 0 : -1;
}

int32 write_uint32(BPositionIO* stream, unsigned long value)
{
    unsigned char bytes[4] = {(unsigned char)(value >> 24), (unsigned char)(value >> 16),
                              (unsigned char)(value >> 8), (unsigned char)value};
    return stream->Write(bytes, 4) == 4 ? 0 : -1;
}

int32 read_exactly(BPositionIO* stream, unsigned long count, std::vector<unsigned char>* data)
{
    off_t size;
    off_t position = stream->Position();
    const bool sized = position >= 0 && stream->GetSize(&size) == B_OK;
    if (sized && (size < position || count > (unsigned long)(size - position)))
        return -1;
    try {
        if (sized) {
            data->resize(count);
            return stream->Read(data->data(), count) == (ssize_t)count ? 0 : -1;
        }
        // A stream that cannot tell its size: grow the buffer only as the bytes arrive.
        constexpr unsigned long kPiece = 1 << 20;
        data->clear();
        while (data->size() < count) {
            size_t done = data->size();
            size_t piece = std::min(kPiece, count - done);
            data->resize(done + piece);
            if (stream->Read(data->data() + done, piece) != (ssize_t)piece)
                return -1;
        }
        return 0;
    } catch (const std::bad_alloc&) {
        return -1;
    }
}
