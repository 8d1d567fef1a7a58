// The owner of long operations: one at a time, given back once on every way out, and heard by
// its listener at each change.

#include "keiba/operations.h"

#include <gtest/gtest.h>

#include <optional>
#include <utility>
#include <vector>

using keiba::Operation;
using keiba::OperationOwner;

TEST(OperationOwner, OneAtATimeAndGivenBackOnceWhereverTheHoldGoes) {
    OperationOwner owner;
    std::vector<std::optional<Operation>> heard;
    owner.SetListener([&](std::optional<Operation> op) { heard.push_back(op); });
    {
        OperationOwner::Hold load = owner.Take(Operation::DayLoad);
        ASSERT_TRUE(load);
        // A refused take is empty and changes nothing, also when it goes.
        OperationOwner::Hold fetch = owner.Take(Operation::Fetch);
        EXPECT_FALSE(fetch);
        fetch = OperationOwner::Hold();
        EXPECT_EQ(owner.Running(), Operation::DayLoad);
        // Moved on, the hold is given back by its last holder only.
        OperationOwner::Hold moved = std::move(load);
        EXPECT_FALSE(load);
        load.Release();
        EXPECT_EQ(owner.Running(), Operation::DayLoad);
    }
    EXPECT_FALSE(owner.Busy());
    OperationOwner::Hold search = owner.Take(Operation::Search);
    // Refused while the search holds the owner; the search's hold, written over, goes back.
    search = owner.Take(Operation::Download);
    EXPECT_FALSE(search);
    EXPECT_FALSE(owner.Busy());
    EXPECT_EQ(heard, (std::vector<std::optional<Operation>>{Operation::DayLoad, std::nullopt,
                                                            Operation::Search, std::nullopt}));
}
