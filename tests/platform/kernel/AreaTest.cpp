// Memory areas.

#include <OS.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace {

TEST(Area, AreasAreAlignedZeroedUsableAndDeletedOnceBadRequestsRefused)
{
    for (uint32 lock : {B_NO_LOCK, B_FULL_LOCK}) {
        for (size_t size : {static_cast<size_t>(B_PAGE_SIZE), static_cast<size_t>(4 << 20)}) {
            void* address = nullptr;
            area_id area = create_area("test", &address, B_ANY_ADDRESS, size, lock,
                                       B_READ_AREA | B_WRITE_AREA);
            ASSERT_GE(area, 0) << size;
            EXPECT_TRUE(size < (2 << 20) || reinterpret_cast<uintptr_t>(address) % (2 << 20) == 0)
                << "large areas start on a huge page";
            auto* bytes = static_cast<uint8*>(address);
            EXPECT_EQ(0, bytes[size - 1]) << "new memory is zero";
            memset(bytes, 0x5A, size);
            EXPECT_EQ(0x5A, bytes[size / 2]);
            EXPECT_EQ(B_OK, delete_area(area));
            EXPECT_NE(B_OK, delete_area(area)) << "an area is deleted once";
        }
    }
    void* address = nullptr;
    for (size_t size : {0, 1000})
        EXPECT_EQ(B_BAD_VALUE, create_area("bad", &address, B_ANY_ADDRESS, size, B_NO_LOCK,
                                           B_READ_AREA | B_WRITE_AREA))
            << size;
    EXPECT_EQ(B_BAD_VALUE, delete_area(-5));
}

} // namespace
