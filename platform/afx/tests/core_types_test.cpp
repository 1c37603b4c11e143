// Rectangles with the platform's edge rules, arrays and their bounds, and
// the archive forms of string arrays and times.
#include <gtest/gtest.h>

#include "afx/collections.h"
#include "afx/ctime.h"
#include "afx/geometry.h"
#include "testing/testing.h"
#include "win/text.h"

namespace {

TEST(RectTest, EdgesIntersectionsAndUnions) {
    const CRect box(10, 20, 30, 60);
    EXPECT_EQ(box.Width(), 20);
    EXPECT_EQ(box.Size(), CSize(20, 40));
    EXPECT_EQ(box.CenterPoint(), CPoint(20, 40));
    EXPECT_TRUE(box.PtInRect(CPoint(10, 20))) << "left and top are inside";
    EXPECT_FALSE(box.PtInRect(CPoint(30, 59))) << "right is outside";
    EXPECT_FALSE(box.PtInRect(CPoint(29, 60))) << "bottom is outside";
    EXPECT_TRUE(CRect(5, 5, 5, 9).IsRectEmpty());
    EXPECT_TRUE(CRect(5, 5, 2, 9).IsRectEmpty()) << "inverted";

    CRect common;
    EXPECT_TRUE(common.IntersectRect(box, CRect(25, 0, 50, 30)));
    EXPECT_EQ(common, CRect(25, 20, 30, 30));
    common = CRect(1, 2, 3, 4);
    EXPECT_FALSE(common.IntersectRect(box, CRect(30, 20, 40, 60))) << "touching edges share nothing";
    EXPECT_TRUE(common.IsRectNull());

    CRect both;
    EXPECT_TRUE(both.UnionRect(box, CRect(0, 0, 5, 5)));
    EXPECT_EQ(both, CRect(0, 0, 30, 60));
    EXPECT_TRUE(both.UnionRect(box, CRect(100, 100, 100, 200))) << "an empty one is left out";
    EXPECT_EQ(both, box);
    EXPECT_FALSE(both.UnionRect(CRect(), CRect(3, 3, 3, 3)));
    EXPECT_TRUE(both.IsRectNull());

    CRect moved = box;
    moved.OffsetRect(-10, 5);
    moved.InflateRect(2, 3);
    EXPECT_EQ(moved, CRect(-2, 22, 22, 68));
    moved.SetRect(9, 8, 1, 2);
    moved.NormalizeRect();
    EXPECT_EQ(moved, CRect(1, 2, 9, 8));
}

TEST(ArrayTest, GrowingInsertingRemovingAndBounds) {
    CArray<int, int> numbers;
    EXPECT_EQ(numbers.Add(5), 0);
    numbers.Add(7);
    numbers.InsertAt(1, 6, 2);
    numbers.SetAtGrow(6, 9);
    EXPECT_EQ(numbers.GetSize(), 7);
    EXPECT_EQ(numbers[2], 6);
    EXPECT_EQ(numbers[3], 7);
    EXPECT_EQ(numbers[5], 0) << "grown with zeros";
    numbers.RemoveAt(1, 2);
    EXPECT_EQ(numbers.GetUpperBound(), 4);
    for (const int bad : {-1, 5}) {
        try {
            numbers.GetAt(bad);
            ADD_FAILURE() << bad;
        } catch (CInvalidArgException* error) {
            error->Delete();
        }
    }
    try {
        numbers.RemoveAt(3, 5);
        ADD_FAILURE() << "past the end";
    } catch (CInvalidArgException* error) {
        error->Delete();
    }
}

TEST(ArchiveFormsTest, StringArraysAndTimes) {
    movanta::testing::TempDir dir;
    const CString path(std::wstring_view(movanta::Utf8ToWide(dir.File("forms.bin"))));
    CStringArray names;
    names.Add(L"sky.bmp");
    names.Add(L"\u00e9t\u00e9.jpg");
    const CTime when(2026, 12, 7, 19, 30, 5);
    {
        CFile file(path, CFile::modeCreate | CFile::modeWrite);
        CArchive archive(&file, CArchive::store);
        names.Serialize(archive);
        archive << when;
        archive.Close();
    }
    CStringArray back;
    CTime time;
    CFile file(path, CFile::modeRead);
    EXPECT_EQ(file.GetLength(), 2u + (4 + 14) + (4 + 14) + 8);
    CArchive archive(&file, CArchive::load);
    back.Serialize(archive);
    archive >> time;
    ASSERT_EQ(back.GetSize(), 2);
    EXPECT_EQ(back[1], names[1]);
    EXPECT_EQ(time, when);
    EXPECT_EQ(time.GetHour(), 19);
    EXPECT_EQ(time.GetSecond(), 5);
    EXPECT_LT(CTime(0), CTime::GetCurrentTime());
}

}  // namespace
