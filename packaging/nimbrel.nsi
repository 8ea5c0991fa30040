; The Nimbrel installer: a per-user install that needs no administrator rights.
; Built by scripts/package.sh, which defines:
;   VERSION     the project's version, e.g. 1.0.0
;   OUTFILE     the installer to write
;   STAGE_DIR   the directory holding Nimbrel.exe, boot.ini, 使用说明.txt and nimbrel-portal.exe
;   ICON        the program's icon
; Silent use: Nimbrel-<version>-setup.exe /S /D=<directory>; uninstall.exe /S.

Unicode true
ManifestDPIAware true
SetCompressor /SOLID lzma

!include MUI2.nsh
!include FileFunc.nsh
!include x64.nsh

!define PRODUCT "Nimbrel"
!define PUBLISHER "Nimbrel"
!define PROGRAM_EXE "Nimbrel.exe"
!define PORTAL_EXE "nimbrel-portal.exe"
!define SETTINGS_FILE "boot.ini"
!define README_FILE "使用说明.txt"
!define UNINSTALLER "uninstall.exe"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
; The names the program and the portal give themselves in the Run key and the Startup folder.
!define AUTORUN_VALUE "Nimbrel"
!define PORTAL_AUTORUN_VALUE "Nimbrel Portal"
!define PORTAL_CACHE_FILE "nimbrel-portal-geocode.json"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel user
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=2052 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=2052 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "FileDescription" "${PRODUCT} 安装程序"
VIAddVersionKey /LANG=2052 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=2052 "LegalCopyright" "${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\${PROGRAM_EXE}"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\${README_FILE}"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

; The portal holds its exe open while it runs: ask it to end before its files are touched.
!macro StopPortal
  IfFileExists "$INSTDIR\${PORTAL_EXE}" 0 +2
    ExecWait '"$INSTDIR\${PORTAL_EXE}" --stop'
!macroend

Section "Nimbrel"
  SetOutPath "$INSTDIR"
  !insertmacro StopPortal
  File "${STAGE_DIR}\${PROGRAM_EXE}"
  File "${STAGE_DIR}\${README_FILE}"
  ; boot.ini holds the user's settings once the program has run: an upgrade keeps it.
  SetOverwrite off
  File "${STAGE_DIR}\${SETTINGS_FILE}"
  SetOverwrite on
  File "${STAGE_DIR}\${PORTAL_EXE}"
  WriteRegStr HKCU "${RUN_KEY}" "${PORTAL_AUTORUN_VALUE}" '"$INSTDIR\${PORTAL_EXE}"'

  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  CreateShortcut "${SHORTCUT}" "$INSTDIR\${PROGRAM_EXE}" "" "$INSTDIR\${PROGRAM_EXE}" 0

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" '"$INSTDIR\${PROGRAM_EXE}",0'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0

  Exec '"$INSTDIR\${PORTAL_EXE}"'
SectionEnd

; The program writes its autorun value under HKLM when it may and under HKCU otherwise; a
; 32-bit program's HKLM value lands in the 32-bit view of the registry on 64-bit Windows.
; Deleting in a key that does not hold the value, or that this user may not write, is harmless.
!macro DeleteRunValueEverywhere ROOT
  SetRegView 32
  DeleteRegValue ${ROOT} "${RUN_KEY}" "${AUTORUN_VALUE}"
  ${If} ${RunningX64}
    SetRegView 64
    DeleteRegValue ${ROOT} "${RUN_KEY}" "${AUTORUN_VALUE}"
  ${EndIf}
  SetRegView default
!macroend

Section "Uninstall"
  !insertmacro StopPortal
  Delete "$INSTDIR\${PROGRAM_EXE}"
  Delete "$INSTDIR\${SETTINGS_FILE}"
  Delete "$INSTDIR\${README_FILE}"
  Delete "$INSTDIR\${PORTAL_EXE}"
  Delete "$INSTDIR\${PORTAL_CACHE_FILE}"
  Delete "$INSTDIR\${UNINSTALLER}"
  ; Only when empty: whatever the user put there stays.
  RMDir "$INSTDIR"

  Delete "${SHORTCUT}"
  Delete "$SMSTARTUP\${AUTORUN_VALUE}.lnk"
  !insertmacro DeleteRunValueEverywhere HKLM
  !insertmacro DeleteRunValueEverywhere HKCU
  DeleteRegValue HKCU "${RUN_KEY}" "${PORTAL_AUTORUN_VALUE}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
