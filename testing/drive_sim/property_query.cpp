#include "testing/drive_sim/property_query.h"

#include <cstring>

#include "testing/drive_sim/raw_field.h"
#include "testing/drives/sim_drives.h"

// STORAGE_PROPERTY_QUERY: PropertyId, QueryType, then the parameters.
const uint32_t QUERY_MIN_BYTES = 8;
const size_t QUERY_OFFSET_PROPERTY_ID = 0;
const size_t QUERY_OFFSET_QUERY_TYPE = 4;
const uint32_t QUERY_DEVICE_PROPERTY = 0;  // StorageDeviceProperty
const uint32_t QUERY_STANDARD = 0;         // PropertyStandardQuery
// STORAGE_DEVICE_DESCRIPTOR: Version, Size (the header), ... BusType at 28.
const uint32_t DESCRIPTOR_HEADER_BYTES = 8;
const uint32_t DESCRIPTOR_BYTES = 40;
const size_t DESCRIPTOR_OFFSET_VERSION = 0;
const size_t DESCRIPTOR_OFFSET_SIZE = 4;
const size_t DESCRIPTOR_OFFSET_BUS_TYPE = 28;

std::string CheckPropertyQuery(const void* pvIn, uint32_t cbIn, uint32_t cbOut)
{
    if (pvIn == nullptr || cbIn < QUERY_MIN_BYTES)
        return "query of " + std::to_string(cbIn) + " bytes";
    if (ReadRawField(pvIn, QUERY_OFFSET_PROPERTY_ID, 4) != QUERY_DEVICE_PROPERTY ||
        ReadRawField(pvIn, QUERY_OFFSET_QUERY_TYPE, 4) != QUERY_STANDARD)
        return "property " + std::to_string(ReadRawField(pvIn, QUERY_OFFSET_PROPERTY_ID, 4)) + ", query type " +
               std::to_string(ReadRawField(pvIn, QUERY_OFFSET_QUERY_TYPE, 4));
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
    WriteRawField(abDescriptor, DESCRIPTOR_OFFSET_VERSION, 4, DESCRIPTOR_BYTES);
    WriteRawField(abDescriptor, DESCRIPTOR_OFFSET_SIZE, 4, DESCRIPTOR_BYTES);
    WriteRawField(abDescriptor, DESCRIPTOR_OFFSET_BUS_TYPE, 4, nBusType);
    *pcbReturned = cbOut < DESCRIPTOR_BYTES ? cbOut : DESCRIPTOR_BYTES;
    memcpy(pvOut, abDescriptor, *pcbReturned);
    return true;
}
