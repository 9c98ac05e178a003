// Memory areas.

#include <OS.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace {

TEST(Area, LargeAreasAreAlignedAndUsable)
{
    for (uint32 lock : {B_NO_LOCK, B_FULL_LOCK}) {
        void* address = nullptr;
        const size_t size = 4 << 20;
        area_id area = create_area("test", &address, B_ANY_ADDRESS, size, lock,
                                   B_READ_AREA | B_WRITE_AREA);
        ASSERT_GE(area, 0);
        EXPECT_EQ(0u, reinterpret_cast<uintptr_t>(address) % (2 << 20));
        auto* bytes = static_cast<uint8*>(address);
        EXPECT_EQ(0, bytes[size - 1]) << "new memory is zero";
        memset(bytes, 0x5A, size);
        EXPECT_EQ(0x5A, bytes[size / 2]);
        EXPECT_EQ(B_OK, delete_area(area));
        EXPECT_NE(B_OK, delete_area(area)) << "an area is deleted once";
    }
}

TEST(Area, SmallAreasAndBadRequests)
{
    void* address = nullptr;
    area_id area = create_area("small", &address, B_ANY_ADDRESS, B_PAGE_SIZE, B_NO_LOCK,
                               B_READ_AREA | B_WRITE_AREA);
    ASSERT_GE(area, 0);
    static_cast<char*>(address)[0] = 1;
    EXPECT_EQ(B_OK, delete_area(area));

    EXPECT_EQ(B_BAD_VALUE, create_area("odd", &address, B_ANY_ADDRESS, 1000, B_NO_LOCK,
                                       B_READ_AREA | B_WRITE_AREA));
    EXPECT_EQ(B_BAD_VALUE, create_area("none", &address, B_ANY_ADDRESS, 0, B_NO_LOCK,
                                       B_READ_AREA | B_WRITE_AREA));
    EXPECT_EQ(B_BAD_VALUE, delete_area(-5));
}

} // namespace
