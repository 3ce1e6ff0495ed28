// TIFF field types, as an entry's type field numbers them.
#pragma once

#include <cstdint>

enum FieldType : uint16_t {
    TypeByte = 1, TypeAscii, TypeShort, TypeLong, TypeRational, TypeSignedByte, TypeUndefined,
    TypeSignedShort, TypeSignedLong, TypeSignedRational, TypeFloat, TypeDouble
};
