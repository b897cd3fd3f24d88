// The memory a result library keeps its store images in.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "StoreImages.h"

namespace {

using d2r::ImagePlace;
using d2r::StoreImages;

constexpr size_t kMegabyte = size_t(1) << 20;

// Images share blocks; each must keep its own bytes whatever its
// neighbours are filled with.
TEST(StoreImages, ImagesSharingABlockNeverOverlap)
{
    StoreImages images;
    std::vector<ImagePlace> places;
    const size_t sizes[] = {100, 4096, 5000, 300000, 1};
    for (size_t size : sizes) {
        places.push_back(images.Take(size));
        ASSERT_TRUE(places.back());
        std::memset(places.back().pBytes, static_cast<int>(places.size()), size);
    }
    EXPECT_EQ(places.front().block, places.back().block);
    for (size_t index = 0; index < places.size(); ++index)
        for (size_t byte = 0; byte < sizes[index]; ++byte)
            ASSERT_EQ(places[index].pBytes[byte], static_cast<unsigned char>(index + 1)) << index << " " << byte;
}

// A folder of very large stores must not take the machine's memory: past
// the limit no place is given (the store is read through its file), and
// memory comes back as the stores holding it are closed.
TEST(StoreImages, HoldNoMoreThanTheirLimitAndGiveBackWhatIsLetGo)
{
    StoreImages images(3 * StoreImages::kBlockBytes);
    ImagePlace first = images.Take(StoreImages::kBlockBytes - kMegabyte);
    ImagePlace second = images.Take(StoreImages::kBlockBytes - kMegabyte);
    ASSERT_TRUE(first && second);
    EXPECT_NE(first.block, second.block);
    EXPECT_FALSE(images.Take(2 * StoreImages::kBlockBytes));
    EXPECT_FALSE(images.Take(4 * StoreImages::kBlockBytes));
    const size_t held = images.HeldBytes();
    first = {};
    EXPECT_LT(images.HeldBytes(), held);
    EXPECT_TRUE(images.Take(2 * StoreImages::kBlockBytes));
}

}  // namespace
