#pragma once
// The SCSI facts the programs rely on: the two command blocks, the layouts
// of their answers and where fixed-format sense data keeps its codes. The
// launcher, the probe and fwdeploy take them from here alone. The drive
// simulator keeps offsets of its own on purpose: as the oracle it checks
// these facts rather than repeating them.
#include <cstddef>
#include <cstdint>

// INQUIRY, allocation length 254: the standard answer with the texts.
inline constexpr uint8_t INQUIRY_CDB[12] = {0x12, 0x00, 0x00, 0x00, 0xFE, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
const uint32_t INQUIRY_TRANSFER_LENGTH = 254;
// READ BUFFER(10), mode 02h (data), buffer ID F1h, offset 0, allocation length 48.
inline constexpr uint8_t VENDOR_IDENTITY_CDB[12] = {0x3C, 0x02, 0xF1, 0x00, 0x00, 0x00,
                                                    0x00, 0x00, 0x30, 0x00, 0x00, 0x00};
const uint32_t VENDOR_IDENTITY_TRANSFER_LENGTH = 48;
// Every answer is read into a zeroed buffer of this size.
const int IDENTITY_BUFFER_BYTES = 256;

// The vendor identity answer: its text from byte 16 up to byte 32.
const size_t VENDOR_IDENTITY_TEXT_OFFSET = 16;
const size_t VENDOR_IDENTITY_TEXT_END = 32;

// The INQUIRY answer: the three text fields, offset and width.
const size_t INQUIRY_VENDOR_OFFSET = 8, INQUIRY_VENDOR_BYTES = 8;
const size_t INQUIRY_PRODUCT_OFFSET = 16, INQUIRY_PRODUCT_BYTES = 16;
const size_t INQUIRY_REVISION_OFFSET = 32, INQUIRY_REVISION_BYTES = 4;
// The identity text read from it: bytes 8 up to 45.
const size_t INQUIRY_TEXT_OFFSET = 8;
const size_t INQUIRY_TEXT_END = 45;
// A list entry's text: product and revision, bytes 16 up to 36.
const size_t INQUIRY_ENTRY_TEXT_OFFSET = 16;
const size_t INQUIRY_ENTRY_TEXT_END = 36;

// Fixed-format sense data: the sense key, ASC and ASCQ bytes.
const size_t SENSE_KEY_BYTE = 2;
const size_t SENSE_ASC_BYTE = 12;
const size_t SENSE_ASCQ_BYTE = 13;
