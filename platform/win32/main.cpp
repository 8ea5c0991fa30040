// The program's entry point: the Win32 platform wired to the widget.

#include <windows.h>

#include "platform/win32/resource_bytes.h"
#include "platform/win32/win32_autorun.h"
#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_process.h"
#include "platform/win32/win32_profile_store.h"
#include "resources/resource_ids.h"
#include "widget/widget.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  using namespace nimbrel;
  win32::Win32Desktop desktop;
  win32::Win32Process process;
  win32::Win32Autorun autorun;
  win32::Win32ProfileStore profile;
  Widget widget(PlatformServices{desktop, process, autorun, profile,
                                 win32::LoadIconFileImage(NIMBREL_ICON_ID),
                                 win32::LoadResourceBytes(NIMBREL_BANNER_ID)});
  widget.Run();
}
