#include "testing/drive_sim/property_query.h"

#include <cstring>

#include "testing/drives/sim_drives.h"

// STORAGE_PROPERTY_QUERY: PropertyId, QueryType, then the parameters.
const uint32_t QUERY_MIN_BYTES = 8;
const uint32_t QUERY_DEVICE_PROPERTY = 0;  // StorageDeviceProperty
const uint32_t QUERY_STANDARD = 0;         // PropertyStandardQuery
// STORAGE_DEVICE_DESCRIPTOR: Version, Size (the header), ... BusType at 28.
const uint32_t DESCRIPTOR_HEADER_BYTES = 8;
const uint32_t DESCRIPTOR_BYTES = 40;
const size_t DESCRIPTOR_OFFSET_VERSION = 0;
const size_t DESCRIPTOR_OFFSET_SIZE = 4;
const size_t DESCRIPTOR_OFFSET_BUS_TYPE = 28;

static uint32_t ReadDword(const void* pv, size_t nOffset)
{
    const uint8_t* pb = static_cast<const uint8_t*>(pv) + nOffset;
    return pb[0] | (pb[1] << 8) | (pb[2] << 16) | (static_cast<uint32_t>(pb[3]) << 24);
}

static void WriteDword(uint8_t* pb, size_t nOffset, uint32_t nValue)
{
    for (int i = 0; i < 4; ++i, nValue >>= 8)
        pb[nOffset + i] = static_cast<uint8_t>(nValue);
}

std::string CheckPropertyQuery(const void* pvIn, uint32_t cbIn, uint32_t cbOut)
{
    if (pvIn == nullptr || cbIn < QUERY_MIN_BYTES)
        return "query of " + std::to_string(cbIn) + " bytes";
    if (ReadDword(pvIn, 0) != QUERY_DEVICE_PROPERTY || ReadDword(pvIn, 4) != QUERY_STANDARD)
        return "property " + std::to_string(ReadDword(pvIn, 0)) + ", query type " + std::to_string(ReadDword(pvIn, 4));
    if (cbOut < DESCRIPTOR_HEADER_BYTES)
        return "output of " + std::to_string(cbOut) + " bytes";
    return std::string();
}

bool AnswerPropertyQuery(int nIndex, void* pvOut, uint32_t cbOut, uint32_t* pcbReturned)
{
    uint32_t nBusType = 0;
    if (!AnswerSimBusTypeQuery(nIndex, &nBusType))
        return false;
    uint8_t abDescriptor[DESCRIPTOR_BYTES] = {0};
    WriteDword(abDescriptor, DESCRIPTOR_OFFSET_VERSION, DESCRIPTOR_BYTES);
    WriteDword(abDescriptor, DESCRIPTOR_OFFSET_SIZE, DESCRIPTOR_BYTES);
    WriteDword(abDescriptor, DESCRIPTOR_OFFSET_BUS_TYPE, nBusType);
    *pcbReturned = cbOut < DESCRIPTOR_BYTES ? cbOut : DESCRIPTOR_BYTES;
    memcpy(pvOut, abDescriptor, *pcbReturned);
    return true;
}
