// The buffer EnumPrinterDriversA fills at level 1: what the program's removal walks.
#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "platform/posix/driver_info.h"

namespace {

const std::vector<std::string> kNames = {"Kaldoran 2400 PS", "", "TAVIMOR Proof"};
const DWORD kNeeded = 3 * sizeof(DRIVER_INFO_1A) + 17 + 1 + 14;

TEST(DriverInfo1Test, SizeQueryFailsWith122AndTellsTheBytes)
{
    DWORD needed = 0, returned = 99;
    SetLastError(0);
    EXPECT_FALSE(PackDriverInfo1(kNames, NULL, 0, &needed, &returned));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(needed, kNeeded);
    EXPECT_EQ(returned, 0u);
}

TEST(DriverInfo1Test, OneByteShortLeavesTheBufferAlone)
{
    std::vector<BYTE> buffer(kNeeded, 0xAB);
    DWORD needed = 0, returned = 0;
    EXPECT_FALSE(PackDriverInfo1(kNames, buffer.data(), kNeeded - 1, &needed, &returned));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(needed, kNeeded);
    EXPECT_EQ(std::vector<BYTE>(kNeeded, 0xAB), buffer);
}

TEST(DriverInfo1Test, ArrayThenTheNamesItPointsAt)
{
    std::vector<BYTE> buffer(kNeeded + 8, 0xAB); // a larger buffer keeps its tail
    DWORD needed = 0, returned = 0;
    ASSERT_TRUE(PackDriverInfo1(kNames, buffer.data(), (DWORD)buffer.size(), &needed, &returned));
    EXPECT_EQ(needed, kNeeded);
    ASSERT_EQ(returned, 3u);

    const DRIVER_INFO_1A* records = (const DRIVER_INFO_1A*)buffer.data();
    const char* strings = (const char*)buffer.data() + 3 * sizeof(DRIVER_INFO_1A);
    const char* end = (const char*)buffer.data() + kNeeded;
    for (DWORD i = 0; i < returned; i++) {
        EXPECT_GE(records[i].pName, strings) << i;
        EXPECT_LT(records[i].pName, end) << i;
        EXPECT_EQ(std::string(records[i].pName), kNames[i]);
    }
    EXPECT_EQ(records[0].pName, strings); // packed in order, right behind the array
    EXPECT_EQ(buffer[kNeeded], 0xAB);
}

TEST(DriverInfo1Test, NoDriversNeedNoBytes)
{
    DWORD needed = 7, returned = 7;
    EXPECT_TRUE(PackDriverInfo1({}, NULL, 0, &needed, &returned));
    EXPECT_EQ(needed, 0u);
    EXPECT_EQ(returned, 0u);
}

} // namespace
