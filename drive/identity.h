#pragma once
// Turns drive answers into the launcher's three decisions: which model, does
// it carry the tag, is its firmware behind the newest revision.
#include <cstdint>

#include "drive/scsi_facts.h"
#include "platform/drive_text.h"

typedef int32_t ModelCode;

const ModelCode MODEL_CODE_5121 = 0;  // identity prefix "KDR 5121"
const ModelCode MODEL_CODE_5321 = 1;  // package digits only
const ModelCode MODEL_CODE_5120 = 2;  // identity prefix "KDR 5120"
const ModelCode MODEL_CODE_5320 = 3;  // package digits only
const ModelCode MODEL_CODE_NONE = 4;  // not a target

// The tag stands after the 8-character model prefix of the vendor identity,
// so it can be at most 8 characters long.
const size_t TAG_POSITION = 8;
const size_t TAG_MAX_CHARACTERS = VENDOR_IDENTITY_TEXT_END - VENDOR_IDENTITY_TEXT_OFFSET - TAG_POSITION;

// Characters 0..7 are the model prefix, the tag starts at 8 (at most 16).
// With pnOpenError, a volume that did not open leaves its error there (0
// when it opened).
DriveText ReadVendorIdentity(char chLetter, uint32_t* pnOpenError = nullptr);
// "X : " followed by INQUIRY bytes 8..44; the revision sits at 28.
DriveText ReadInquiryIdentity(char chLetter);
ModelCode ClassifyModel(DriveText strVendorIdentity, DriveText strTag);
bool IsFirmwareOutdated(const DriveText& strNewestRevision, char chLetter);
// IsFirmwareOutdated with the same one INQUIRY, also giving the revision
// field it read (trailing blanks removed; empty when the drive gave none).
bool CheckFirmwareRevision(const DriveText& strNewestRevision, char chLetter, DriveText* pstrRevision);

// The same decisions on answers already read, for programs that report on
// a drive without asking it twice. The buffers are changed (a zero byte
// ends each text where the queries end it).
DriveText VendorIdentityFromAnswer(uint8_t abBuffer[IDENTITY_BUFFER_BYTES]);
DriveText InquiryIdentityFromAnswer(char chLetter, uint8_t abBuffer[IDENTITY_BUFFER_BYTES]);
// MODEL_CODE_5120, MODEL_CODE_5121 or MODEL_CODE_NONE, from the prefix alone.
ModelCode ModelOfPrefix(const DriveText& strVendorIdentity);
bool CarriesTag(const DriveText& strVendorIdentity, const DriveText& strTag);
bool IsRevisionOutdated(const DriveText& strNewestRevision, const DriveText& strInquiryIdentity);
// An INQUIRY text field as the drive's bytes read it, trailing blanks removed.
DriveText InquiryTextField(const uint8_t abBuffer[IDENTITY_BUFFER_BYTES], size_t nOffset, size_t cbField);
