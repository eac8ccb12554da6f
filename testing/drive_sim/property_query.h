#pragma once
// The storage property query a program may make of a raw volume: the bus
// type of its device descriptor, read and written with offsets of the
// simulator's own, as a storage driver answers it. No drive is asked.
#include <cstdint>
#include <string>

const uint32_t PROPERTY_IOCTL_STORAGE_QUERY_PROPERTY = 0x002D1400;

// Empty when the query is one the simulated drivers answer (the standard
// query of the device property, an output buffer for the descriptor's
// header at least); otherwise what departs.
std::string CheckPropertyQuery(const void* pvIn, uint32_t cbIn, uint32_t cbOut);
// Fills as much of the device descriptor as fits in pvOut with the bus type
// of the drive at nIndex; false when that drive's query fails. *pcbReturned
// is the bytes written.
bool AnswerPropertyQuery(int nIndex, void* pvOut, uint32_t cbOut, uint32_t* pcbReturned);
