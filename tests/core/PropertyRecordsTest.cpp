#include "PropertyRecords.h"
#include "DigitalCertificate.h"
#include "TestPki.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <type_traits>

namespace {

// Records are handled by pointer only: no copies that could free the same buffers twice.
static_assert(!std::is_copy_constructible_v<CRegProperty> && !std::is_copy_assignable_v<CRegProperty>);
static_assert(!std::is_copy_constructible_v<COEWABProperty> && !std::is_copy_assignable_v<COEWABProperty>);
static_assert(!std::is_copy_constructible_v<CEmailAccount> && !std::is_copy_assignable_v<CEmailAccount>);
static_assert(!std::is_copy_constructible_v<CContact> && !std::is_copy_assignable_v<CContact>);
static_assert(std::has_virtual_destructor_v<CRegProperty> && std::has_virtual_destructor_v<COEWABProperty>);

std::string bufText(const CBBuffer* b) {
    return b && b->size() > 0 ? std::string(reinterpret_cast<const char*>(b->GetBuffer()), b->size()) : "";
}

std::unique_ptr<CDigitalCertificate> makeCert(yxtest::TestCa& ca, const std::string& cn) {
    yxtest::CertProfile profile;
    profile.cn = cn;
    const auto der = ca.issue(profile).der();
    return std::make_unique<CDigitalCertificate>(reinterpret_cast<const char*>(der.data()),
                                                 static_cast<int>(der.size()), CDigitalCertificate::DER);
}

} // namespace

TEST(COEWABProperty, FreshPropertyIsEmpty) {
    COEWABProperty p;
    EXPECT_EQ(p.getVSize(), 0);
    EXPECT_EQ(p.getVValue(0), nullptr);
    unsigned long tag = 99;
    std::string name = "x";
    p.getTag(tag, name);
    EXPECT_EQ(tag, 0u);
    EXPECT_EQ(name, "");
    ASSERT_NE(p.getStrValue(), nullptr);
    EXPECT_STREQ(p.getStrValue(), "");
    EXPECT_EQ(p.getGender(), GENDER_UNSPECIFIED);
    EXPECT_EQ(p.getTime().wYear, 0);
    EXPECT_EQ(p.getBuf().size(), 0);
    p.ClearVector(); // on an empty list: nothing happens
    EXPECT_EQ(p.getVSize(), 0);
}

TEST(COEWABProperty, ListKeepsPushedValuesInOrderWithoutTerminator) {
    COEWABProperty p;
    p.pushVector("first@example.com");
    p.pushVector("第二");
    ASSERT_EQ(p.getVSize(), 2);
    EXPECT_EQ(bufText(p.getVValue(0)), "first@example.com");
    EXPECT_EQ(bufText(p.getVValue(1)), "第二");
    EXPECT_EQ(p.getVValue(1)->size(), static_cast<int>(std::strlen("第二")));
    EXPECT_EQ(p.getVValue(2), nullptr);
    EXPECT_EQ(p.getVValue(-1), nullptr);

    const char binary[] = {'a', '\0', 'b', '\xff'};
    p.pushVector(binary, 4);
    ASSERT_EQ(p.getVSize(), 3);
    ASSERT_EQ(p.getVValue(2)->size(), 4);
    EXPECT_EQ(std::memcmp(p.getVValue(2)->GetBuffer(), binary, 4), 0);
    p.pushVector("");
    EXPECT_EQ(p.getVSize(), 4);
    EXPECT_EQ(p.getVValue(3)->size(), 0);

    p.ClearVector();
    EXPECT_EQ(p.getVSize(), 0);
    p.pushVector("again");
    ASSERT_EQ(p.getVSize(), 1);
    EXPECT_EQ(bufText(p.getVValue(0)), "again");
}

TEST(COEWABProperty, ScalarValuesAreKept) {
    COEWABProperty p;
    p.setTag(0x3001001E, "PR_DISPLAY_NAME");
    unsigned long tag = 0;
    std::string name;
    p.getTag(tag, name);
    EXPECT_EQ(tag, 0x3001001Eu);
    EXPECT_EQ(name, "PR_DISPLAY_NAME");
    p.setValue("张三");
    EXPECT_STREQ(p.getStrValue(), "张三");
    p.setValue(nullptr);
    EXPECT_STREQ(p.getStrValue(), "");
    p.setGender(GENDER_FEMALE);
    EXPECT_EQ(p.getGender(), GENDER_FEMALE);
    SYSTEMTIME st;
    st.wYear = 2024;
    st.wMonth = 2;
    st.wDay = 29;
    st.wHour = 23;
    p.setDate(st);
    EXPECT_EQ(p.getTime().wYear, 2024);
    EXPECT_EQ(p.getTime().wMonth, 2);
    EXPECT_EQ(p.getTime().wDay, 29);
    EXPECT_EQ(p.getTime().wHour, 23);
    p.getBuf().Attachstr("bytes");
    EXPECT_EQ(bufText(&p.getBuf()), "bytes");
}

TEST(CRegProperty, NameAndOwnedValue) {
    CRegProperty r;
    ASSERT_NE(r.getName(), nullptr);
    EXPECT_STREQ(r.getName(), "");
    EXPECT_EQ(r.getBuf().size(), 0);
    char name[] = "MailAddress";
    r.setName(name);
    EXPECT_STREQ(r.getName(), "MailAddress");
    r.setName(nullptr);
    EXPECT_STREQ(r.getName(), "");
    r.getBuf().Attachstr("user@example.com");
    EXPECT_EQ(bufText(&r.getBuf()), "user@example.com");
}

TEST(CEmailAccount, HoldsSixPropertiesAndBorrowedCertificates) {
    CEmailAccount a;
    for (int i = 0; i < 6; ++i)
        ASSERT_NE(a.getProperty(i), nullptr) << i;
    EXPECT_EQ(a.getProperty(6), nullptr);
    EXPECT_EQ(a.getProperty(-1), nullptr);
    EXPECT_NE(a.getProperty(CEmailAccount::kAccountName), a.getProperty(CEmailAccount::kEmailAddress));
    a.getProperty(CEmailAccount::kAccountName)->getBuf().Attachstr("工作邮箱");
    a.getProperty(CEmailAccount::kEmailAddress)->getBuf().Attachstr("me@example.com");
    EXPECT_EQ(bufText(&a.getProperty(1)->getBuf()), "工作邮箱");
    EXPECT_EQ(bufText(&a.getProperty(2)->getBuf()), "me@example.com");

    EXPECT_EQ(a.getSignCert(), nullptr);
    EXPECT_EQ(a.getCryptCert(), nullptr);
    yxtest::TestCa ca;
    auto sign = makeCert(ca, "签名");
    auto crypt = makeCert(ca, "加密");
    a.setSignCert(sign.get());
    a.setCrytpCert(crypt.get());
    EXPECT_EQ(a.getSignCert(), sign.get());
    EXPECT_EQ(a.getCryptCert(), crypt.get());
    a.setSignCert(nullptr);
    EXPECT_EQ(a.getSignCert(), nullptr);
    EXPECT_EQ(a.getCryptCert(), crypt.get());
}

TEST(CContact, HoldsFortyTwoPropertiesAndADefaultCertificate) {
    CContact c;
    for (int i = 0; i < 42; ++i)
        ASSERT_NE(c.getProperty(i), nullptr) << i;
    EXPECT_EQ(c.getProperty(42), nullptr);
    c.getProperty(CContact::kDisplayName)->setValue("李四");
    c.getProperty(CContact::kEmailAddress)->setValue("li@example.com");
    EXPECT_STREQ(c.getProperty(0)->getStrValue(), "李四");
    EXPECT_STREQ(c.getProperty(1)->getStrValue(), "li@example.com");

    EXPECT_EQ(c.getDefaultCert(nullptr), nullptr);
    yxtest::TestCa ca;
    auto cert = makeCert(ca, "李四");
    c.SetDefaultCert(cert.get());
    EXPECT_EQ(c.getDefaultCert(nullptr), cert.get());
    c.SetDefaultCert(nullptr); // the user removed it
    EXPECT_EQ(c.getDefaultCert(nullptr), nullptr);
}
