#include "Launcher/config/IniDocument.h"

#include <gtest/gtest.h>

TEST(IniDocumentTest, CrLfLinesAndSurroundingSpacesAreTrimmed) {
    IniDocument doc;
    EXPECT_TRUE(doc.Parse("[Launcher]\r\nVersion=10001\r\n  Title =  Demo  \nTab=\tx\t\r\n"
                          "Space=abc \r\nLast=end"));
    EXPECT_EQ(10001, doc.GetInt("Launcher", "Version"));
    EXPECT_EQ("10001", doc.GetString("Launcher", "Version"));
    EXPECT_EQ("Demo", doc.GetString("Launcher", "Title"));
    EXPECT_EQ("\tx\t", doc.GetString("Launcher", "Tab"));
    EXPECT_EQ("abc ", doc.GetString("Launcher", "Space"));
    EXPECT_EQ("end", doc.GetString("Launcher", "Last"));
}

TEST(IniDocumentTest, TrimValueRules) {
    EXPECT_EQ("a b", IniDocument::TrimValue("  a b  "));
    EXPECT_EQ("abc ", IniDocument::TrimValue("abc \r"));
    EXPECT_EQ("abc", IniDocument::TrimValue(" abc\r\r"));
    EXPECT_EQ("   ", IniDocument::TrimValue("   "));
    EXPECT_EQ("", IniDocument::TrimValue("  \r"));
    EXPECT_EQ("\tx", IniDocument::TrimValue("\tx"));
}

TEST(IniDocumentTest, EntriesThatAreNotStored) {
    IniDocument doc;
    doc.Parse("Version=1\n[S]\nLogo=\n=orphan\n; note\n; a=b\n");
    EXPECT_EQ("", doc.GetString("S", "Version"));
    EXPECT_EQ("", doc.GetString("", "Version"));
    EXPECT_EQ("", doc.GetString("S", "Logo"));
    EXPECT_EQ("", doc.GetString("S", ""));
    // No comment syntax: "; a" is an ordinary key.
    EXPECT_EQ("b", doc.GetString("S", "; a"));
}

TEST(IniDocumentTest, FirstValueWinsAndSectionsMerge) {
    IniDocument doc;
    doc.Parse("[Game1]\nName=A\nName=B\n[Game2]\nName=C\n[Game1]\nName=D\nIcon=i.png\n");
    EXPECT_EQ("A", doc.GetString("Game1", "Name"));
    EXPECT_EQ("i.png", doc.GetString("Game1", "Icon"));
    EXPECT_EQ("C", doc.GetString("Game2", "Name"));

    // A second Parse adds new sections but leaves held ones alone.
    doc.Parse("[Game1]\nName=X\nExtra=1\n[Game3]\nName=E\n");
    EXPECT_EQ("A", doc.GetString("Game1", "Name"));
    EXPECT_EQ("", doc.GetString("Game1", "Extra"));
    EXPECT_EQ("E", doc.GetString("Game3", "Name"));
}

TEST(IniDocumentTest, SectionHeaderRules) {
    IniDocument doc;
    doc.Parse("\xEF\xBB\xBF[Launcher]\r\nA=1\n"
              "[ Game1 ] trailing\nB=2\n"
              "[Other]\nText=Pack [EU]\nAfter=3\n"
              "]x[Y]\nC=4\n");
    EXPECT_EQ("1", doc.GetString("Launcher", "A"));        // byte-order mark is harmless
    EXPECT_EQ("2", doc.GetString(" Game1 ", "B"));          // names are not trimmed
    EXPECT_EQ("", doc.GetString("Game1", "B"));
    EXPECT_EQ("", doc.GetString("launcher", "A"));          // case-sensitive
    // A header inside a value switches the section before the key is stored.
    EXPECT_EQ("Pack [EU]", doc.GetString("EU", "Text"));
    EXPECT_EQ("", doc.GetString("Other", "Text"));
    EXPECT_EQ("3", doc.GetString("EU", "After"));
    // "]" before "[" is no header; the section stays "EU".
    EXPECT_EQ("4", doc.GetString("EU", "C"));
    EXPECT_EQ("", doc.GetString("Y", "C"));
}

TEST(IniDocumentTest, IntegerConversion) {
    IniDocument doc;
    doc.Parse("[N]\nA=abc\nB=10001 \nC=10001abc\nD=-42\nE=2147483647\nF=2147483648\n"
              "G=-2147483648\nH=-2147483649\nI=+7\nJ=99999999999999999999\n");
    EXPECT_EQ(0, doc.GetInt("N", "A"));
    EXPECT_EQ(10001, doc.GetInt("N", "B"));
    EXPECT_EQ(10001, doc.GetInt("N", "C"));
    EXPECT_EQ(-42, doc.GetInt("N", "D"));
    EXPECT_EQ(2147483647, doc.GetInt("N", "E"));
    EXPECT_EQ(0, doc.GetInt("N", "F"));
    EXPECT_EQ(-2147483647 - 1, doc.GetInt("N", "G"));
    EXPECT_EQ(0, doc.GetInt("N", "H"));
    EXPECT_EQ(7, doc.GetInt("N", "I"));
    EXPECT_EQ(0, doc.GetInt("N", "J"));
    EXPECT_EQ(0, doc.GetInt("N", "Missing"));
    EXPECT_EQ(0, doc.GetInt("Missing", "A"));
}

TEST(IniDocumentTest, Utf8ValuesConvertOnWideLookup) {
    IniDocument doc;
    doc.Parse("[Game0]\nName=\xE6\xB8\xB8\xE6\x88\x8F \xC3\xA9\n");
    EXPECT_EQ("\xE6\xB8\xB8\xE6\x88\x8F \xC3\xA9", doc.GetString("Game0", "Name"));
    EXPECT_EQ(std::wstring(L"\u6E38\u620F \u00E9"), doc.GetWString("Game0", "Name"));
    EXPECT_EQ(std::wstring(), doc.GetWString("Game0", "Missing"));
}
