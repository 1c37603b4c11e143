// Run-time classes and exceptions: kinds, creation by name, and the
// framework's deletion rule.
#include <gtest/gtest.h>

#include "afx/exception.h"
#include "test_items.h"

namespace {

TEST(RuntimeClassTest, KindsCreationAndNames) {
    CTestItem item;
    EXPECT_TRUE(item.IsKindOf(RUNTIME_CLASS(CTestItem)));
    EXPECT_TRUE(item.IsKindOf(RUNTIME_CLASS(CObject)));
    EXPECT_FALSE(item.IsKindOf(RUNTIME_CLASS(CStrictItem)));
    EXPECT_TRUE(item.IsSerializable());
    EXPECT_STREQ(item.GetRuntimeClass()->m_lpszClassName, "CTestItem");
    EXPECT_EQ(CRuntimeClass::FromName("CStrictItem"), RUNTIME_CLASS(CStrictItem));
    EXPECT_EQ(CRuntimeClass::FromName("CException"), nullptr) << "only serialisable classes are found by name";
    CObject* made = RUNTIME_CLASS(CStrictItem)->CreateObject();
    ASSERT_NE(made, nullptr);
    EXPECT_TRUE(made->IsKindOf(RUNTIME_CLASS(CStrictItem)));
    delete made;
    EXPECT_EQ(RUNTIME_CLASS(CException)->CreateObject(), nullptr) << "dynamic, not creatable";
}

TEST(ExceptionTest, KindsAndTheDeletionRule) {
    try {
        AfxThrowFileException(CFileException::diskFull, 28, L"out.bin");
    } catch (CException* error) {
        EXPECT_TRUE(error->IsKindOf(RUNTIME_CLASS(CFileException)));
        auto* file = static_cast<CFileException*>(error);
        EXPECT_EQ(file->m_cause, CFileException::diskFull);
        EXPECT_EQ(file->m_strFileName, CString(L"out.bin"));
        error->Delete();
    }
    // Made with autoDelete false, the exception outlives Delete().
    auto* kept = new CArchiveException(CArchiveException::badClass);
    kept->m_bAutoDelete = false;
    kept->Delete();
    EXPECT_EQ(kept->m_cause, CArchiveException::badClass);
    delete kept;
    EXPECT_EQ(CFileException::OsErrorToException(2), CFileException::fileNotFound);
    EXPECT_EQ(CFileException::OsErrorToException(13), CFileException::accessDenied);
}

}  // namespace
