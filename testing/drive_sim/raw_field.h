#pragma once
// Little-endian fields of a caller's raw request bytes, read and written by
// offset and width: the simulated driver sees the bytes, not the caller's types.
#include <cstddef>
#include <cstdint>

uint64_t ReadRawField(const void* pvBlock, size_t nOffset, size_t cbField);
void WriteRawField(void* pvBlock, size_t nOffset, size_t cbField, uint64_t nValue);
