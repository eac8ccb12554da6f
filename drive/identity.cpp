#include "drive/identity.h"

#include "drive/transport.h"

// Where the revision field stands in the identity text "X : " + bytes 8 on.
const size_t INQUIRY_REVISION_POSITION = 4 + INQUIRY_REVISION_OFFSET - INQUIRY_TEXT_OFFSET;
static_assert(INQUIRY_REVISION_POSITION == 28, "revision at character 28");

// One query: open the drive, send the command, close it again. False, with
// nothing sent, when the letter is 0 or the drive does not open.
static bool QueryDrive(char chLetter, const uint8_t abCdb[12], uint32_t nTransferLength,
                       uint8_t abBuffer[IDENTITY_BUFFER_BYTES], uint32_t* pnOpenError = nullptr)
{
    if (!OpenDriveWithError(chLetter, pnOpenError))
        return false;
    SendCdb(nTransferLength, abCdb, abBuffer);
    CloseDrive();
    return true;
}

DriveText VendorIdentityFromAnswer(uint8_t abBuffer[IDENTITY_BUFFER_BYTES])
{
    abBuffer[VENDOR_IDENTITY_TEXT_END] = 0;
    return WidenAnsi(abBuffer + VENDOR_IDENTITY_TEXT_OFFSET, VENDOR_IDENTITY_TEXT_END - VENDOR_IDENTITY_TEXT_OFFSET);
}

DriveText InquiryIdentityFromAnswer(char chLetter, uint8_t abBuffer[IDENTITY_BUFFER_BYTES])
{
    abBuffer[INQUIRY_TEXT_END] = 0;
    DriveText strResult(1, static_cast<wchar_t>(static_cast<unsigned char>(chLetter)));
    strResult += L" : ";
    return strResult + WidenAnsi(abBuffer + INQUIRY_TEXT_OFFSET, INQUIRY_TEXT_END - INQUIRY_TEXT_OFFSET);
}

DriveText ReadVendorIdentity(char chLetter, uint32_t* pnOpenError)
{
    uint8_t abBuffer[IDENTITY_BUFFER_BYTES] = {0};
    if (!QueryDrive(chLetter, VENDOR_IDENTITY_CDB, VENDOR_IDENTITY_TRANSFER_LENGTH, abBuffer, pnOpenError))
        return DriveText();
    return VendorIdentityFromAnswer(abBuffer);
}

DriveText ReadInquiryIdentity(char chLetter)
{
    uint8_t abBuffer[IDENTITY_BUFFER_BYTES] = {0};
    if (!QueryDrive(chLetter, INQUIRY_CDB, INQUIRY_TRANSFER_LENGTH, abBuffer))
        return DriveText();
    return InquiryIdentityFromAnswer(chLetter, abBuffer);
}

ModelCode ModelOfPrefix(const DriveText& strVendorIdentity)
{
    if (IsTextAt(strVendorIdentity, L"KDR 5120", 0))
        return MODEL_CODE_5120;
    if (IsTextAt(strVendorIdentity, L"KDR 5121", 0))
        return MODEL_CODE_5121;
    return MODEL_CODE_NONE;
}

bool CarriesTag(const DriveText& strVendorIdentity, const DriveText& strTag)
{
    return IsTextAt(strVendorIdentity, strTag, TAG_POSITION);
}

ModelCode ClassifyModel(DriveText strVendorIdentity, DriveText strTag)
{
    if (!CarriesTag(strVendorIdentity, strTag))
        return MODEL_CODE_NONE;
    return ModelOfPrefix(strVendorIdentity);
}

bool IsRevisionOutdated(const DriveText& strNewestRevision, const DriveText& strInquiryIdentity)
{
    return !IsTextAt(strInquiryIdentity, strNewestRevision, INQUIRY_REVISION_POSITION);
}

bool IsFirmwareOutdated(const DriveText& strNewestRevision, char chLetter)
{
    DriveText strRevision;
    return CheckFirmwareRevision(strNewestRevision, chLetter, &strRevision);
}

bool CheckFirmwareRevision(const DriveText& strNewestRevision, char chLetter, DriveText* pstrRevision)
{
    uint8_t abBuffer[IDENTITY_BUFFER_BYTES] = {0};
    DriveText strIdentity;
    pstrRevision->clear();
    if (QueryDrive(chLetter, INQUIRY_CDB, INQUIRY_TRANSFER_LENGTH, abBuffer)) {
        // The field first: the identity's end marker is written into the buffer.
        *pstrRevision = InquiryTextField(abBuffer, INQUIRY_REVISION_OFFSET, INQUIRY_REVISION_BYTES);
        strIdentity = InquiryIdentityFromAnswer(chLetter, abBuffer);
    }
    return IsRevisionOutdated(strNewestRevision, strIdentity);
}

DriveText InquiryTextField(const uint8_t abBuffer[IDENTITY_BUFFER_BYTES], size_t nOffset, size_t cbField)
{
    DriveText strField = WidenAnsi(abBuffer + nOffset, cbField);
    while (!strField.empty() && strField.back() == L' ')
        strField.pop_back();
    return strField;
}
