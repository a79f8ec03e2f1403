// Moving the window's options between the settings store and its controls.
//
// The backup folder is kept per project, under a value named by the project file's path. The
// window remembers which project the folder it shows was read for (`settingsProjectPath`), so a
// folder is only ever stored under the path of the project it belongs to: when the active
// project has changed since, the shown folder is first stored for the project it was read for,
// and the new project's own folder (its stored one, else its project folder) is read in its
// place before anything is stored for it. Each project keeps its own folder across switches.
#pragma once

#include "form/main_form.h"
#include "platform/ide/loader.h"
#include "platform/registry/registry.h"

namespace arkstash::shell {

// Values under HKEY_CURRENT_USER that configure the project loader (both desktop app and
// command line read them):
//   "CodePage"  text, the code page of project files that are not UTF-8 ("1252", "936"...;
//               a number value works too); default "1252"
//   "Drive A" .. "Drive Z"  text, the folder a Windows drive letter stands for, e.g.
//               "Drive C" = "/home/me/.wine/drive_c"; letters without a value are not mapped
inline constexpr const char* kLoaderKey = "Software\\Arkstash\\Loader";

void ReadSettings(form::MainForm& frm);
void WriteSettings(form::MainForm& frm);

// When the active project is not the one the shown backup folder was read for, stores that
// folder under its own project's path, reads the active project's folder in its place (creating
// the folder as ReadSettings does) and checks the archive again. Answers whether it switched.
// Does nothing without the environment or when the project's path cannot be read.
bool SettingsFollowProject(form::MainForm& frm);

// The loader's options as stored; `classes` is left for the caller to set.
ide::LoaderOptions LoaderOptionsFromSettings(registry::Registry& reg);

}  // namespace arkstash::shell
