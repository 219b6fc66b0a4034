#include "BBuffer.h"

#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>

TEST(BBuffer, ResizeKeepsPrefixAndSetsSizeBeforeWriting) {
    CBBuffer b;
    b.Attachstr("hello");
    b.resize(2);
    EXPECT_EQ(b.size(), 2);
    b.resize(6);
    EXPECT_EQ(b.size(), 6);
    EXPECT_EQ(std::memcmp(b.GetBuffer(), "he", 2), 0);
    b.GetBuffer()[5] = 'z'; // the grown area is writable at once
    EXPECT_EQ(b.GetBuffer()[5], 'z');
}

TEST(BBuffer, ForeignBytesAreNeverFreed) {
    unsigned char foreign[4] = {1, 2, 3, 4};
    {
        CBBuffer b(foreign, 4, false);
        b.Free();
        EXPECT_EQ(b.size(), 0);
        EXPECT_EQ(b.GetBuffer(), nullptr);
        b.SetBuffer(foreign, 4, false);
    } // destructor must not free the stack array (ASan would report it)
    EXPECT_EQ(foreign[3], 4);
}

TEST(BBuffer, OwnedMallocBytesAreTakenOver) {
    auto* p = static_cast<unsigned char*>(std::malloc(3));
    std::memcpy(p, "abc", 3);
    CBBuffer b(p, 3, true);
    CBBuffer other;
    other.Attach(b);
    EXPECT_EQ(other.size(), 3);
    EXPECT_STREQ(b.GetStrBuffer(), "abc");
}

TEST(BBuffer, CopiesAreDeep) {
    CBBuffer a;
    a.Attachstr("abc");
    CBBuffer b(a);
    b.GetBuffer()[0] = 'X';
    EXPECT_EQ(a.GetBuffer()[0], 'a');
    CBBuffer c;
    c = a;
    c = c;
    EXPECT_STREQ(c.GetStrBuffer(), "abc");
}
