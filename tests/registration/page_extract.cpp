// Copies a resource of a module to a file, byte for byte, as the browser's res: protocol reads it.
// Usage: page_extract MODULE TYPE NAME OUTPUT (TYPE as a number, e.g. 23)
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 5)
        return 1;
    HMODULE module = LoadLibraryExA(argv[1], nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module)
        return 2;
    LPCSTR type = MAKEINTRESOURCEA(std::atoi(argv[2]));
    HRSRC found = FindResourceA(module, argv[3], type);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes)
        return 3;
    FILE* output = std::fopen(argv[4], "wb");
    if (!output)
        return 4;
    size_t size = SizeofResource(module, found);
    bool isWritten = std::fwrite(bytes, 1, size, output) == size;
    std::fclose(output);
    return isWritten ? 0 : 4;
}
