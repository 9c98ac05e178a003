#include <OS.h>

#include <cerrno>
#include <cstdint>
#include <map>
#include <mutex>
#include <sys/mman.h>

namespace {

constexpr size_t kLargePage = 2 << 20;

struct Mapping {
    void* start; // what mmap gave, to give it back
    size_t length;
};

std::mutex sLock;
std::map<area_id, Mapping> sAreas;
area_id sNextId = 1;

} // namespace

area_id create_area(const char*, void** address, uint32 addressSpec, size_t size, uint32 lock,
                    uint32 protection)
{
    if (address == nullptr || addressSpec != B_ANY_ADDRESS || size == 0 ||
        size % B_PAGE_SIZE != 0) {
        return B_BAD_VALUE;
    }
    int prot = ((protection & B_READ_AREA) ? PROT_READ : 0) |
               ((protection & B_WRITE_AREA) ? PROT_WRITE : 0);
    const bool large = size >= kLargePage;
    // Large areas get room to be moved up to a large-page boundary.
    size_t length = large ? size + kLargePage : size;
    if (length < size)
        return B_NO_MEMORY;
    void* start = mmap(nullptr, length, prot, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (start == MAP_FAILED)
        return B_NO_MEMORY;
    char* base = static_cast<char*>(start);
    if (large) {
        uintptr_t aligned = (reinterpret_cast<uintptr_t>(start) + kLargePage - 1) & ~(kLargePage - 1);
        base = reinterpret_cast<char*>(aligned);
    }
    if (lock == B_FULL_LOCK && (prot & PROT_WRITE) != 0) {
        // One call commits every page, at a fraction of the cost of a fault per page; older
        // kernels without it get their pages touched one by one.
        if (madvise(base, size, MADV_POPULATE_WRITE) != 0) {
            for (size_t offset = 0; offset < size; offset += B_PAGE_SIZE)
                base[offset] = 0;
        }
    }

    std::lock_guard<std::mutex> guard(sLock);
    area_id id = sNextId++;
    sAreas[id] = {start, length};
    *address = base;
    return id;
}

status_t delete_area(area_id area)
{
    Mapping mapping;
    {
        std::lock_guard<std::mutex> guard(sLock);
        auto found = sAreas.find(area);
        if (found == sAreas.end())
            return B_BAD_VALUE;
        mapping = found->second;
        sAreas.erase(found);
    }
    return munmap(mapping.start, mapping.length) == 0 ? B_OK : B_FROM_POSIX_ERROR(errno);
}
