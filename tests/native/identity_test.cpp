#include "drive/identity.h"
#include "tests/native/sim_fixture.h"

class IdentityTest : public SimTest {};

TEST_F(IdentityTest, VendorIdentityIsBytes16To31)
{
    SimDriveAt('E') = MakeTargetDrive("KDR 5120ACME-LONGER-THAN-16", "ABC-DRIVE", "1.02");
    EXPECT_EQ(ReadVendorIdentity('E'), L"KDR 5120ACME-LON");
    EXPECT_EQ(TraceLinesStartingWith("send E 3C 02 F1 00 00 00 00 00 30 00 00 00 len 48 status 00").size(), 1u);
}

TEST_F(IdentityTest, InquiryIdentityIsLetterPrefixThenBytes8To44)
{
    SimDrive drive = MakeTargetDrive("KDR 5120ACME", "ABC-DRIVE", "1.02");
    drive.abInquiry.resize(60, 'x');
    SimDriveAt('E') = drive;
    DriveText strIdentity = ReadInquiryIdentity('E');
    EXPECT_EQ(strIdentity, L"E : VENDOR  ABC-DRIVE       1.02xxxxxxxxx");
    EXPECT_EQ(strIdentity.substr(28, 4), L"1.02");
}

TEST_F(IdentityTest, QueriesOpenAndCloseAroundOneCommand)
{
    SimDriveAt('E') = MakeTargetDrive("KDR 5120ACME", "ABC-DRIVE", "1.02");
    ReadVendorIdentity('E');
    ReadInquiryIdentity('E');
    ASSERT_EQ(g_astrSimTrace.size(), 6u);
    EXPECT_EQ(g_astrSimTrace[0], "open E ok");
    EXPECT_EQ(g_astrSimTrace[2], "close E");
    EXPECT_EQ(g_astrSimTrace[3], "open E ok");
    EXPECT_EQ(g_astrSimTrace[5], "close E");
    EXPECT_EQ(g_nSimMostOpenHandles, 1);
    EXPECT_EQ(g_hDrive, OS_INVALID_HANDLE);
}

TEST_F(IdentityTest, LetterZeroAndUnopenedDrivesGiveEmptyText)
{
    SimDriveAt('E') = MakeTargetDrive("KDR 5120ACME", "ABC-DRIVE", "1.02");
    SimDriveAt('E').bOpens = false;
    EXPECT_EQ(ReadVendorIdentity(0), L"");
    EXPECT_EQ(ReadInquiryIdentity(0), L"");
    EXPECT_EQ(ReadVendorIdentity('E'), L"");
    EXPECT_EQ(ReadInquiryIdentity('E'), L"");
    EXPECT_EQ(TraceLinesStartingWith("send").size(), 0u);
}

TEST_F(IdentityTest, DriveThatOpensButGivesNoDataYieldsOnlyThePrefix)
{
    SimDrive drive = MakeTargetDrive("KDR 5120ACME", "ABC-DRIVE", "1.02");
    drive.nStatus = 0x02;
    drive.bSenseData = true;
    drive.abSenseCode[0] = 0x02;
    drive.abSenseCode[1] = 0x3A;
    SimDriveAt('E') = drive;
    EXPECT_EQ(ReadVendorIdentity('E'), L"");
    EXPECT_EQ(ReadInquiryIdentity('E'), L"E : ");
    EXPECT_TRUE(IsFirmwareOutdated(L"1.02", 'E'));
}

struct ClassifyCase {
    const char* pszName;
    const wchar_t* pszIdentity;
    const wchar_t* pszTag;
    ModelCode nExpected;
};

class ClassifyModelTest : public ::testing::TestWithParam<ClassifyCase> {};

TEST_P(ClassifyModelTest, Classifies)
{
    EXPECT_EQ(ClassifyModel(GetParam().pszIdentity, GetParam().pszTag), GetParam().nExpected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ClassifyModelTest,
    ::testing::Values(ClassifyCase{"Model2", L"KDR 5120ACME", L"ACME", MODEL_CODE_5120},
                      ClassifyCase{"Model0", L"KDR 5121ACME", L"ACME", MODEL_CODE_5121},
                      ClassifyCase{"TagFollowedByMore", L"KDR 5120ACMEWXYZ", L"ACME", MODEL_CODE_5120},
                      ClassifyCase{"WrongTag", L"KDR 5120ACME", L"OTHR", MODEL_CODE_NONE},
                      ClassifyCase{"TagLongerThanEight", L"KDR 5120ACMEACME", L"ACMEACMEX", MODEL_CODE_NONE},
                      ClassifyCase{"TagAlsoInsidePrefix", L"KDR 51205120", L"5120", MODEL_CODE_5120},
                      ClassifyCase{"TagEarlierOnly", L"ACMEKDR 5120", L"ACME", MODEL_CODE_NONE},
                      ClassifyCase{"EmptyTag", L"KDR 5120ACME", L"", MODEL_CODE_NONE},
                      ClassifyCase{"OtherPrefixWithTag", L"KDR 5320ACME", L"ACME", MODEL_CODE_NONE},
                      ClassifyCase{"PrefixCaseDiffers", L"kdr 5120ACME", L"ACME", MODEL_CODE_NONE},
                      ClassifyCase{"ShortIdentity", L"KDR 5120", L"ACME", MODEL_CODE_NONE},
                      ClassifyCase{"EmptyIdentity", L"", L"ACME", MODEL_CODE_NONE}),
    [](const ::testing::TestParamInfo<ClassifyCase>& info) { return std::string(info.param.pszName); });

struct RevisionCase {
    const char* pszName;
    const char* pszProduct;
    const char* pszRevision;
    const wchar_t* pszNewest;
    bool bOutdated;
};

class FirmwareOutdatedTest : public SimTest, public ::testing::WithParamInterface<RevisionCase> {};

TEST_P(FirmwareOutdatedTest, ComparesTheRevisionAtPosition28)
{
    const RevisionCase& c = GetParam();
    SimDriveAt('E') = MakeTargetDrive("KDR 5120ACME", c.pszProduct, c.pszRevision);
    EXPECT_EQ(IsFirmwareOutdated(c.pszNewest, 'E'), c.bOutdated);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FirmwareOutdatedTest,
    ::testing::Values(RevisionCase{"Current", "ABC-DRIVE", "1.02", L"1.02", false},
                      RevisionCase{"Older", "ABC-DRIVE", "1.02", L"1.10", true},
                      RevisionCase{"ShortNewestIsAPrefix", "ABC-DRIVE", "1.02", L"1.0", false},
                      RevisionCase{"LongerNewestRunsPastTheField", "ABC-DRIVE", "1.02", L"1.02X", true},
                      RevisionCase{"EmptyNewest", "ABC-DRIVE", "1.02", L"", true},
                      RevisionCase{"NewestAlsoInProduct", "ABC-1.02", "1.02", L"1.02", false},
                      RevisionCase{"NewestOnlyInProduct", "ABC-1.10", "1.02", L"1.10", true}),
    [](const ::testing::TestParamInfo<RevisionCase>& info) { return std::string(info.param.pszName); });

TEST_F(IdentityTest, ZeroByteInsideTheProductFieldMakesTheDriveOutdated)
{
    SimDrive drive = MakeTargetDrive("KDR 5120ACME", "ABC-DRIVE", "1.02");
    drive.abInquiry[20] = 0;
    SimDriveAt('E') = drive;
    EXPECT_EQ(ReadInquiryIdentity('E'), L"E : VENDOR  ABC-");
    EXPECT_TRUE(IsFirmwareOutdated(L"1.02", 'E'));
}

TEST_F(IdentityTest, UnopenedDriveCountsAsOutdated)
{
    EXPECT_TRUE(IsFirmwareOutdated(L"1.02", 'E'));
}
