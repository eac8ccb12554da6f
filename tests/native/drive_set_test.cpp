#include <cstring>

#include "testing/drives/drive_set.h"
#include "tests/native/sim_fixture.h"

class DriveSetTest : public SimTest {
protected:
    bool Parse(const std::string& strText)
    {
        strError.clear();
        return ParseDriveSet(strText, aDrives, &strError);
    }
    SimDrive aDrives[SIM_LETTERS];
    std::string strError;
};

TEST_F(DriveSetTest, ReadsTheDocumentedKeys)
{
    ASSERT_TRUE(Parse("# two drives\n"
                      "[E]\n"
                      "vendor_identity = \"KDR 5120ACME\"   # the tag follows the prefix\n"
                      "inquiry_vendor = \"VENDOR\"\n"
                      "inquiry_product = \"ABC-DRIVE\"\n"
                      "inquiry_revision = \"1.02\"\n"
                      "unit_attentions = 2\n"
                      "updated_by = \"5120\"\n"
                      "revision_after_update = \"1.10\"\n"
                      "\n"
                      "[G]\n"
                      "opens = no\n"
                      "sense = 02 3A 00\n"
                      "latency_ms = 5\n"
                      "[H]\n"
                      "opens = denied\n"
                      "unit_attentions = 1\n"
                      "unit_attention_sense = 06 28 00\n"))
        << strError;
    const SimDrive& e = aDrives['E' - 'A'];
    EXPECT_TRUE(e.bPresent);
    EXPECT_EQ(e.abVendorIdentity.size(), 48u);
    EXPECT_EQ(memcmp(e.abVendorIdentity.data() + 16, "KDR 5120ACME\0", 13), 0);
    EXPECT_EQ(std::string(e.abInquiry.begin() + 8, e.abInquiry.begin() + 36), "VENDOR  ABC-DRIVE       1.02");
    EXPECT_EQ(e.nUnitAttentions, 2);
    EXPECT_EQ(e.strUpdatedBy, "5120");
    EXPECT_EQ(e.strRevisionAfterUpdate, "1.10");
    const SimDrive& g = aDrives['G' - 'A'];
    EXPECT_FALSE(g.bOpens);
    EXPECT_EQ(g.nStatus, 0x02);
    EXPECT_EQ(g.abSenseCode[1], 0x3A);
    EXPECT_EQ(g.nLatencyMs, 5u);
    EXPECT_EQ(g.nOpenError, OS_ERROR_FILE_NOT_FOUND);
    const SimDrive& h = aDrives['H' - 'A'];
    EXPECT_FALSE(h.bOpens);
    EXPECT_EQ(h.nOpenError, OS_ERROR_ACCESS_DENIED);
    EXPECT_EQ(h.abAttentionSense[1], 0x28);
    EXPECT_EQ(e.abAttentionSense[1], 0x29) << "power on reset unless the file says otherwise";
    EXPECT_FALSE(aDrives['F' - 'A'].bPresent) << "a letter without a section has no volume";
}

TEST_F(DriveSetTest, HexKeysReplaceTheTextKeysAndEscapesGiveBytes)
{
    ASSERT_TRUE(Parse("[E]\n"
                      "inquiry_product = \"IGNORED\"\n"
                      "inquiry_hex = 05 80 00 32\n"
                      "vendor_identity_hex = 01 02\n"
                      "vendor_identity = \"ALSO IGNORED\"\n"
                      "[F]\n"
                      "inquiry_product = \"A\\x83\\x41\\\\\\\"#\"\n"))
        << strError;
    EXPECT_EQ(aDrives[4].abInquiry, (std::vector<uint8_t>{0x05, 0x80, 0x00, 0x32}));
    EXPECT_EQ(aDrives[4].abVendorIdentity, (std::vector<uint8_t>{0x01, 0x02}));
    EXPECT_EQ(std::string(aDrives[5].abInquiry.begin() + 16, aDrives[5].abInquiry.begin() + 22),
              std::string("A\x83\x41\\\"#"));
    EXPECT_EQ(aDrives[5].nUnitAttentions, 0);
}

TEST_F(DriveSetTest, UnitAttentionsMayBeForever)
{
    ASSERT_TRUE(Parse("[E]\nunit_attentions = forever\n"));
    EXPECT_EQ(aDrives[4].nUnitAttentions, SIM_FOREVER);
}

struct MalformedCase {
    const char* pszName;
    const char* pszText;
    const char* pszError;
};

class MalformedDriveSetTest : public DriveSetTest, public ::testing::WithParamInterface<MalformedCase> {};

TEST_P(MalformedDriveSetTest, StopsWithTheLineAndTheFault)
{
    aDrives[0].bPresent = true;
    EXPECT_FALSE(Parse(GetParam().pszText));
    EXPECT_EQ(strError, GetParam().pszError);
    EXPECT_TRUE(aDrives[0].bPresent) << "the drives are left as they were";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MalformedDriveSetTest,
    ::testing::Values(
        MalformedCase{"UnknownKey", "[E]\ncolour = \"red\"\n", "2: unknown key 'colour'"},
        MalformedCase{"OutsideSection", "# c\n\nopens = no\n", "3: line outside a section"},
        MalformedCase{"BadHex", "[E]\ninquiry_hex = 05 8G\n", "2: bad hex byte"},
        MalformedCase{"OddHex", "[E]\ninquiry_hex = 058\n", "2: bad hex byte"},
        MalformedCase{"TooLongRevision", "[E]\ninquiry_revision = \"1.023\"\n", "2: value longer than 4 bytes"},
        MalformedCase{"TooLongVendorIdentity", "[E]\nvendor_identity = \"0123456789ABCDEF0123456789ABCDEFX\"\n",
                      "2: value longer than 32 bytes"},
        MalformedCase{"TooLongHex", "[E]\nsense = 02 3A 00 00\n", "2: more than 3 bytes"},
        MalformedCase{"Unquoted", "[E]\ninquiry_product = ABC\n", "2: expected a quoted value"},
        MalformedCase{"Unterminated", "[E]\ninquiry_product = \"ABC\n", "2: unterminated quoted value"},
        MalformedCase{"BadEscape", "[E]\ninquiry_product = \"A\\n\"\n", "2: unknown escape"},
        MalformedCase{"TextAfterQuote", "[E]\ninquiry_product = \"A\" B\n", "2: text after the quoted value"},
        MalformedCase{"BadSection", "[e]\n", "1: a section is a drive letter A to Z in brackets"},
        MalformedCase{"DuplicateSection", "[E]\n[E]\n", "2: second section for E"},
        MalformedCase{"BadCount", "[E]\nunit_attentions = -1\n", "2: expected a whole number up to 1000000"},
        MalformedCase{"NoEquals", "[E]\nopens\n", "2: expected key = value"},
        MalformedCase{"BadOpens", "[E]\nopens = maybe\n", "2: opens takes yes, no, denied or a Windows error number"},
        MalformedCase{"GoodStatusAsFailure", "[E]\ninquiry_status = 00\n", "2: a status is one non-zero hex byte"},
        MalformedCase{"LongSense",
                      "[E]\nvendor_identity_sense_hex = 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00\n",
                      "2: more than 18 bytes"},
        MalformedCase{"BadPassThrough", "[E]\npass_through = yes\n", "2: pass_through takes refused"}),
    [](const ::testing::TestParamInfo<MalformedCase>& info) { return std::string(info.param.pszName); });

TEST_F(DriveSetTest, WrittenTextReadsBackIntoTheSameDrives)
{
    ASSERT_TRUE(Parse("[C]\nvendor_identity = \"KDR 5121ACME\"\ninquiry_revision = \"1.02\"\n"
                      "updated_by = \"51\\\"21\"\nrevision_after_update = \"1.10\"\n"
                      "[X]\nopens = 21\n[Y]\nopens = denied\nunit_attention_sense = 06 28 00\n"
                      "[Z]\nopens = no\nunit_attentions = forever\nsense = 06 28 00\nlatency_ms = 3\n"));
    SimDrive aBack[SIM_LETTERS];
    std::string strBackError;
    ASSERT_TRUE(ParseDriveSet(FormatDriveSet(aDrives), aBack, &strBackError)) << strBackError;
    for (int i = 0; i < SIM_LETTERS; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(aBack[i].bPresent, aDrives[i].bPresent);
        EXPECT_EQ(aBack[i].bOpens, aDrives[i].bOpens);
        EXPECT_EQ(aBack[i].nOpenError, aDrives[i].nOpenError);
        EXPECT_EQ(memcmp(aBack[i].abAttentionSense, aDrives[i].abAttentionSense, 3), 0);
        EXPECT_EQ(aBack[i].abInquiry, aDrives[i].abInquiry);
        EXPECT_EQ(aBack[i].abVendorIdentity, aDrives[i].abVendorIdentity);
        EXPECT_EQ(aBack[i].nUnitAttentions, aDrives[i].nUnitAttentions);
        EXPECT_EQ(aBack[i].nStatus, aDrives[i].nStatus);
        EXPECT_EQ(aBack[i].strUpdatedBy, aDrives[i].strUpdatedBy);
        EXPECT_EQ(aBack[i].strRevisionAfterUpdate, aDrives[i].strRevisionAfterUpdate);
        EXPECT_EQ(aBack[i].nLatencyMs, aDrives[i].nLatencyMs);
    }
}

TEST_F(DriveSetTest, PackageRunAppliesTheRevisionToMatchingDrivesOnly)
{
    ASSERT_TRUE(Parse("[E]\ninquiry_revision = \"1.02\"\nupdated_by = \"5120\"\nrevision_after_update = \"1.10\"\n"
                      "[F]\ninquiry_revision = \"1.02\"\nupdated_by = \"5121\"\nrevision_after_update = \"1.10\"\n"));
    for (int i = 0; i < SIM_LETTERS; ++i)
        g_aSimDrive[i] = aDrives[i];
    ApplySimPackageRun("FW5120.exe");
    EXPECT_EQ(std::string(SimDriveAt('E').abInquiry.begin() + 32, SimDriveAt('E').abInquiry.begin() + 36), "1.10");
    EXPECT_EQ(std::string(SimDriveAt('F').abInquiry.begin() + 32, SimDriveAt('F').abInquiry.begin() + 36), "1.02");
}
