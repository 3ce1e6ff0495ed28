// No C++ exception leaves an export or a COM method: what the boundary answers instead.
#include <gtest/gtest.h>

#include <stdexcept>

#include "atl/atl_module.h"

namespace {

TEST(ExceptionBoundary, ExceptionsBecomeResultsAfterTheHandler)
{
    int handled = 0;
    auto handler = [&] { ++handled; };
    EXPECT_EQ(CatchAsHresult([] { return S_FALSE; }, handler), S_FALSE);
    EXPECT_EQ(handled, 0) << "no exception, no handler";
    EXPECT_EQ(CatchAsHresult([]() -> HRESULT { throw std::bad_alloc(); }, handler), E_OUTOFMEMORY);
    EXPECT_EQ(CatchAsHresult([]() -> HRESULT { throw std::length_error("text"); }, handler), E_UNEXPECTED);
    EXPECT_EQ(CatchAsHresult([]() -> HRESULT { throw 1; }, handler), E_UNEXPECTED);
    EXPECT_EQ(handled, 3);
    EXPECT_EQ(CatchAsHresult([]() -> HRESULT { throw std::bad_array_new_length(); }), E_OUTOFMEMORY);
}

}  // namespace
