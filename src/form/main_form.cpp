#include "form/main_form.h"

namespace arkstash::form {

namespace {
void named(ui::ControlState& c, const char* name) {
    c.name = name;
}
}  // namespace

MainForm::MainForm(Platform& p) : platform(p) {
    frame.name = "frmMain";
    frame.Width = 9600;
    frame.Height = 7200;

    SSActiveTabs1.name = "SSActiveTabs1";
    for (const char* c : {"Files", "Info", "Properties", "Memo", "Status"})
        SSActiveTabs1.tabs.push_back({c, true, true});
    SSActiveTabs1.tab(tabs::kStatus).visible = false;
    SSActiveTabs1.selectedIndex = tabs::kFiles;
    named(SSActiveTabPanel2, "SSActiveTabPanel2");
    SSActiveTabPanel2.Width = 7005;
    SSActiveTabPanel2.Height = 5400;

    named(Light3D1, "Light3D1");
    Light3D1.Left = 2490;
    Light3D1.Width = 7005;
    Light3D1.Height = 360;
    named(Light3D2, "Light3D2");
    Light3D2.Width = 2400;
    Light3D2.Height = 360;
    named(lblHeaderInfo, "lblHeaderInfo");
    lblHeaderInfo.setCaption("Arkstash: Files to add");
    named(lblProjectName, "lblProjectName");
    named(cmdAddDate, "cmdAddDate");
    cmdAddDate.caption = "Add Date";
    cmdAddDate.Visible = false;
    cmdAddDate.Width = 975;

    named(Label2, "Label2");
    Label2.setCaption("Project:");
    named(Label3, "Label3");
    Label3.setCaption("Description:");
    named(Label8, "Label8");
    Label8.setCaption("BuildName:");
    named(lblProject, "lblProject");
    named(lblDesc, "lblDesc");
    named(lblBuildName, "lblBuildName");
    named(imgProject, "imgProject");
    named(chkAddComponents, "chkAddComponents");
    chkAddComponents.caption = "Add Components and References to backup";
    named(framRef, "framRef");
    framRef.caption = "Components and References";

    named(Label7, "Label7");
    Label7.setCaption("Backup directory:");
    named(Label1, "Label1");
    Label1.setCaption("Compressed filename:");
    named(lblCompLevel, "lblCompLevel");
    lblCompLevel.setCaption("Compression factor:");
    named(txtBackupDir, "txtBackupDir");
    txtBackupDir.txtFolder.Locked = true;
    txtBackupDir.Left = 1800;
    txtBackupDir.Width = 4935;
    txtBackupDir.Height = 285;
    named(txtZipFile, "txtZipFile");
    txtZipFile.Left = 1800;
    txtZipFile.Width = SSActiveTabPanel2.Width - 2000;
    named(cmdView, "cmdView");
    cmdView.caption = "&View";
    cmdView.Visible = false;
    cmdView.Width = 800;
    named(cmbCompLevel, "cmbCompLevel");
    named(frmOptions, "frmOptions");
    frmOptions.caption = "Options";
    named(frmPassWord, "frmPassWord");
    frmPassWord.caption = "Backup password";
    named(chkDateComp, "chkDateComp");
    chkDateComp.caption = "Add date/time to compressed filename";
    named(chkRefresh, "chkRefresh");
    chkRefresh.caption = "Automatically refresh project";
    named(chkPassword, "chkPassword");
    chkPassword.caption = "Use backup password";
    named(lblPass, "lblPass");
    lblPass.setCaption("Password:");
    lblPass.Enabled = false;
    named(lblPasswordExplanation, "lblPasswordExplanation");
    lblPasswordExplanation.setCaption(
        "Enter a password above to protect files from being unzipped without first entering this "
        "same password.");
    lblPasswordExplanation.Enabled = false;
    named(txtPassword, "txtPassword");
    txtPassword.Enabled = false;

    named(txtMemo, "txtMemo");
    txtMemo.MultiLine = true;

    named(Label4, "Label4");
    Label4.setCaption("Status:");
    named(Label5, "Label5");
    Label5.setCaption("File progress:");
    named(Label6, "Label6");
    Label6.setCaption("Project progress:");
    named(lblStatus, "lblStatus");
    lblStatus.setCaption("Collecting data...");

    ListView1.Width = SSActiveTabPanel2.Width - 240;
    ListView2.Width = SSActiveTabPanel2.Width - 480;

    // The window's own controls reach the runtime through the window's services: the bars let
    // the message loop run after each redraw, the folder picker opens the folder chooser, and
    // both header frames are raised.
    vbwProgressBar1.setEventLoop(&platform.loop);
    vbwProgressBar2.setEventLoop(&platform.loop);
    txtBackupDir.setDialogs(&platform.dialogs);
    Light3D1.setStyle(false);
    Light3D2.setStyle(false);

    defineTools();
}

void MainForm::defineTools() {
    ui::ToolSet& t = SSActiveToolBars1;
    t.name = "SSActiveToolBars1";
    t.add({"ID_ViewCode", "View &code", "View code"});
    t.add({"ID_ViewObject", "View o&bject", "View object"});
    t.add({"ID_Refresh", "&Refresh", "Reload project"});
    t.add({"ID_Addfiles", "&Add file", "Add files to backup session"});
    t.add({"ID_Remove", "&Remove user added file", "Remove file from backup session"});
    t.add({"ID_Fileproperties", "&File properties", "Show file properties "});
    t.add({"ID_Help", "&Contents", "View Arkstash Help"});
    t.add({"ID_Backup", "&Backup project", ""});
    t.add({"ID_Exit", "E&xit", ""});
    t.add({"ID_Web", "Arkstash on the &Web", ""});
    t.add({"ID_Support", "&Technical support", ""});
    t.add({"ID_AboutArkstash", "&About Arkstash...", ""});

    const std::string sep = ui::kSeparator;
    t.add({"ID_File",
           "&File",
           "",
           true,
           0,
           {"ID_Addfiles", "ID_Remove", "ID_Fileproperties", sep, "ID_Exit"}});
    t.add({"ID_View", "&View", "", true, 0, {"ID_ViewCode", "ID_ViewObject"}});
    t.add({"ID_Project", "&Project", "", true, 0, {"ID_Refresh", sep, "ID_Backup"}});
    t.add({"ID_MainHelp",
           "&Help",
           "",
           true,
           0,
           {"ID_Help", sep, "ID_Web", "ID_Support", sep, "ID_AboutArkstash"}});
    t.add({"ID_ListView1",
           "ListView1",
           "",
           true,
           0,
           {"ID_ViewCode", "ID_ViewObject", sep, "ID_Addfiles", "ID_Remove", "ID_Fileproperties"}});
    t.add({"ID_ListView2", "ListView2", "", true, 0, {"ID_Fileproperties"}});

    t.bars.push_back({"ListMenu1", {"ID_File", "ID_View", "ID_Project", "ID_MainHelp"}});
    t.bars.push_back({"ToolBar1",
                      {"ID_ViewCode", "ID_ViewObject", sep, "ID_Addfiles", "ID_Remove",
                       "ID_Fileproperties", sep, "ID_Refresh", "ID_Help", sep, "ID_Backup"}});
}

}  // namespace arkstash::form
