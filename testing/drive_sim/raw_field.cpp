#include "testing/drive_sim/raw_field.h"

uint64_t ReadRawField(const void* pvBlock, size_t nOffset, size_t cbField)
{
    uint64_t nValue = 0;
    const uint8_t* pb = static_cast<const uint8_t*>(pvBlock) + nOffset;
    for (size_t i = cbField; i-- > 0;)
        nValue = (nValue << 8) | pb[i];
    return nValue;
}

void WriteRawField(void* pvBlock, size_t nOffset, size_t cbField, uint64_t nValue)
{
    uint8_t* pb = static_cast<uint8_t*>(pvBlock) + nOffset;
    for (size_t i = 0; i < cbField; ++i, nValue >>= 8)
        pb[i] = static_cast<uint8_t>(nValue);
}
