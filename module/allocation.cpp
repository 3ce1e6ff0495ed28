// The module's nothrow allocation. The C++ runtime's own nothrow new calls the throwing one and
// catches its exception, which would pull the whole exception machinery into a module that
// never throws; this one asks the C heap directly and answers null when it has no room.
#include <cstdlib>
#include <new>

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return std::malloc(size ? size : 1);  // a zero-size request still gets a distinct pointer
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return std::malloc(size ? size : 1);
}
