#include "merge/header_union.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Columns = std::vector<std::int32_t>;
using Names = std::vector<std::string>;

TEST(HeaderUnionTest, ColumnsDriftingOverTheYears) {
  merge::HeaderUnion columns;
  EXPECT_EQ(columns.Add({"id", "name", "sum"}), (Columns{0, 1, 2}));
  // A later export gains a column at the end.
  EXPECT_EQ(columns.Add({"id", "name", "sum", "vat"}), (Columns{0, 1, 2, 3}));
  // Two columns swapped.
  EXPECT_EQ(columns.Add({"id", "sum", "name"}), (Columns{0, 2, 1}));
  // One column missing, one new in the middle.
  EXPECT_EQ(columns.Add({"id", "region", "sum"}), (Columns{0, 4, 2}));
  EXPECT_EQ(columns.Names(), (Names{"id", "name", "sum", "vat", "region"}));
}

TEST(HeaderUnionTest, NamesComparedWithoutSurroundingSpacesKeptAsFirstSeen) {
  merge::HeaderUnion columns;
  EXPECT_EQ(columns.Add({" id", "name "}), (Columns{0, 1}));
  EXPECT_EQ(columns.Add({"name", "  id  ", "Name"}), (Columns{1, 0, 2}));
  EXPECT_EQ(columns.Names(), (Names{" id", "name ", "Name"}));
}

TEST(HeaderUnionTest, DuplicateNamesMatchedByOccurrence) {
  merge::HeaderUnion columns;
  EXPECT_EQ(columns.Add({"x", "phone", "phone"}), (Columns{0, 1, 2}));
  EXPECT_EQ(columns.Add({"phone", "x", "phone", "phone"}), (Columns{1, 0, 2, 3}));
  EXPECT_EQ(columns.Add({"", ""}), (Columns{4, 5})); // empty names are names too
  EXPECT_EQ(columns.Names(), (Names{"x", "phone", "phone", "phone", "", ""}));
}

TEST(HeaderUnionTest, IdentityOnlyForTheUnionInItsOrder) {
  EXPECT_TRUE(merge::IsIdentity({0, 1, 2}, 3));
  EXPECT_FALSE(merge::IsIdentity({0, 1}, 3));
  EXPECT_FALSE(merge::IsIdentity({0, 2, 1}, 3));
  EXPECT_TRUE(merge::IsIdentity({}, 0));
}

TEST(TrimSpacesTest, OnlySpacesAtTheEdges) {
  EXPECT_EQ(merge::TrimSpaces("  a b  "), "a b");
  EXPECT_EQ(merge::TrimSpaces("   "), "");
  EXPECT_EQ(merge::TrimSpaces("\ta\t"), "\ta\t");
}

} // namespace
