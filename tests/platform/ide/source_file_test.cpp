#include "platform/ide/source_file.h"

#include <gtest/gtest.h>

#include <string>

using namespace arkstash::ide;

namespace {

// A form as the environment saves it: controls, a nested design block with a property group,
// the attribute lines, then 5 lines of code, one of them blank.
const std::string kForm =
    "VERSION 5.00\r\n"
    "Object = \"{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}#2.0#0\"; \"MSCOMCTL.OCX\"\r\n"
    "Object = \"{5E9E78A0-531B-11CF-91F6-C2863C385E30}#1.0#0\"; \"MSFLXGRD.OCX\"\r\n"
    "Begin VB.Form frmOrders \r\n"
    "   Caption         =   \"Orders\"\r\n"
    "   Begin VB.Frame fraTotals \r\n"
    "      Caption         =   \"End\"\r\n"
    "      Begin VB.Label lblTotal \r\n"
    "         BeginProperty Font {0BE35203-8F91-11CE-9DE3-00AA004BB851} \r\n"
    "            Name            =   \"Tahoma\"\r\n"
    "         EndProperty\r\n"
    "      End\r\n"
    "   End\r\n"
    "End\r\n"
    "Attribute VB_Name = \"frmOrders\"\r\n"
    "Attribute VB_GlobalNameSpace = False\r\n"
    "Attribute VB_Exposed = False\r\n"
    "Option Explicit\r\n"
    "\r\n"
    "Private Sub Form_Load()\r\n"
    "    Caption = \"Orders\"\r\n"
    "End Sub\r\n";

}  // namespace

TEST(SourceFile, CountsOnlyTheCodeAfterHeaderDesignBlockAndAttributes) {
    SourceInfo info = readSourceText(kForm);
    EXPECT_EQ(info.codeLines, 5);
    ASSERT_TRUE(info.vbName.has_value());
    EXPECT_EQ(*info.vbName, "frmOrders");
    EXPECT_FALSE(info.mdiForm);
    EXPECT_FALSE(info.unclosedDesignBlock);
}

TEST(SourceFile, LineEndsOfEveryKindAndAMissingLastOneCountTheSame) {
    std::string lf, cr;
    for (char c : kForm)
        if (c != '\r') lf += c;
    for (char c : kForm)
        if (c != '\n') cr += c;
    std::string noFinal = kForm.substr(0, kForm.size() - 2);
    EXPECT_EQ(readSourceText(lf).codeLines, 5);
    EXPECT_EQ(readSourceText(cr).codeLines, 5);
    EXPECT_EQ(readSourceText(noFinal).codeLines, 5);
    // A blank line at the end is a line the code window shows.
    EXPECT_EQ(readSourceText(kForm + "\r\n").codeLines, 6);
}

TEST(SourceFile, ClassBlockInCapitalsAndMemberAttributesInsideProceduresAreHidden) {
    SourceInfo info = readSourceText(
        "VERSION 1.0 CLASS\r\n"
        "BEGIN\r\n"
        "  MultiUse = -1  'True\r\n"
        "END\r\n"
        "Attribute VB_Name = \"CInvoice\"\r\n"
        "Option Explicit\r\n"
        "Public Property Get Total() As Currency\r\n"
        "Attribute Total.VB_UserMemId = 0\r\n"
        "    Total = 0\r\n"
        "End Property\r\n");
    EXPECT_EQ(info.vbName.value_or(""), "CInvoice");
    EXPECT_EQ(info.codeLines, 4);
}

TEST(SourceFile, ModuleWithoutHeaderCountsEverythingButItsAttribute) {
    SourceInfo info = readSourceText("Attribute VB_Name = \"modTax\"\nPublic Rate As Double\n");
    EXPECT_EQ(info.vbName.value_or(""), "modTax");
    EXPECT_EQ(info.codeLines, 1);
    EXPECT_EQ(readSourceText("").codeLines, 0);
    EXPECT_FALSE(readSourceText("").vbName.has_value());
}

TEST(SourceFile, MdiFormIsRecognisedByItsDesignBlockOnly) {
    EXPECT_TRUE(readSourceText("VERSION 5.00\r\nBegin VB.MDIForm frmMain \r\nEnd\r\n").mdiForm);
    EXPECT_TRUE(readSourceText("VERSION 5.00\nbegin vb.mdiform frmMain\nend\n").mdiForm);
    EXPECT_FALSE(readSourceText("VERSION 5.00\r\nBegin VB.Form frmMain \r\nEnd\r\n").mdiForm);
    EXPECT_FALSE(readSourceText("VERSION 5.00\r\nBegin VB.MDIFormEx frmMain \r\nEnd\r\n").mdiForm);
    // Mentioning an MDI form in code does not make the module one.
    EXPECT_FALSE(readSourceText("Attribute VB_Name = \"m\"\r\n' Begin VB.MDIForm x\r\n").mdiForm);
}

TEST(SourceFile, PropertiesNamedLikeKeywordsDoNotCloseOrOpenBlocks) {
    SourceInfo info = readSourceText(
        "VERSION 5.00\r\n"
        "Begin VB.UserControl ctlRange \r\n"
        "   Begin MSComCtl2.DTPicker dtpEnd \r\n"
        "      EndDate         =   36526\r\n"
        "      Begin           =   1\r\n"
        "      End             =   2\r\n"
        "   End\r\n"
        "End\r\n"
        "Attribute VB_Name = \"ctlRange\"\r\n"
        "Option Explicit\r\n");
    EXPECT_FALSE(info.unclosedDesignBlock);
    EXPECT_EQ(info.codeLines, 1);
    EXPECT_EQ(info.vbName.value_or(""), "ctlRange");
}

TEST(SourceFile, FileCutInsideItsDesignBlockIsFlaggedAndShowsNoCode) {
    SourceInfo info = readSourceText(
        "VERSION 5.00\r\nBegin VB.Form frmCut \r\n   Begin VB.TextBox txt \r\n   End\r\n   Cap");
    EXPECT_TRUE(info.unclosedDesignBlock);
    EXPECT_EQ(info.codeLines, 0);
    EXPECT_FALSE(info.vbName.has_value());
}

TEST(SourceFile, NameAttributeVariants) {
    EXPECT_EQ(readSourceText("attribute vb_name = \"lower\"\r\n").vbName.value_or(""), "lower");
    EXPECT_EQ(readSourceText("Attribute VB_Name=Bare\r\n").vbName.value_or(""), "Bare");
    EXPECT_EQ(readSourceText("Attribute VB_Name = \"First\"\r\nAttribute VB_Name = \"Second\"\r\n")
                  .vbName.value_or(""),
              "First");
    EXPECT_FALSE(readSourceText("Attribute VB_Name = \"\"\r\n").vbName.has_value());
    EXPECT_FALSE(readSourceText("Attribute VB_Creatable = False\r\n").vbName.has_value());
    // A UTF-8 byte-order mark in front of the first line does not hide it.
    EXPECT_EQ(readSourceText("\xEF\xBB\xBF"
                             "Attribute VB_Name = \"Bom\"\r\nDim x\r\n")
                  .vbName.value_or(""),
              "Bom");
}

TEST(SourceFile, BinaryFilesAreThoseTheDesignBlockRefersTo) {
    SourceInfo info = readSourceText(
        "VERSION 5.00\r\n"
        "Begin VB.Form frmA \r\n"
        "   Caption = \"frmA.frx\"\r\n"
        "   Icon = \"frmA.frx\":0000\r\n"
        "   Begin VB.ListBox lst \r\n"
        "      ItemData = \"FRMA.FRX\":0442\r\n"
        "      Tag = \"notes.txt\":0000\r\n"
        "      Picture = \"Shared.ctx\":0010\r\n"
        "   End\r\n"
        "End\r\n"
        "Attribute VB_Name = \"frmA\"\r\n"
        "Private Const S = \"late.frx\":0\r\n");
    EXPECT_EQ(info.binaryFiles, (std::vector<std::string>{"frmA.frx", "Shared.ctx"}));
}
