# The Windows installer, in Simplified Chinese. packaging/windows/CMakeLists.txt runs makensis on it
# with these defines:
#   VERSION         the version, as 1.2.0
#   STAGE           the folder holding the programs and LICENSE.txt, as the .zip has them
#   ICON            the icon of the installer and the uninstaller
#   OUTFILE         the installer to write
#   WINDOW_PROGRAM  set when pelmora.exe, the window program, is in STAGE
# A 64-bit installer: the programs are 64-bit, and so it writes the 64-bit registry view and
# installs under the 64-bit Program Files without redirection.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!define PRODUCT "Pelmora发送软件"
!define PUBLISHER "The Pelmora developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Pelmora"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
# An update goes where the last install went.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=2052 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=2052 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "FileDescription" "${PRODUCT} ${VERSION} 安装程序"
VIAddVersionKey /LANG=2052 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=2052 "LegalCopyright" "2026 ${PUBLISHER}, MIT licence"

!include "MUI2.nsh"
!include "FileFunc.nsh"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${STAGE}/LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "SimpChinese"

Function .onInit
    SetShellVarContext all
    SetRegView 64
FunctionEnd

Function un.onInit
    SetShellVarContext all
    SetRegView 64
FunctionEnd

Section "${PRODUCT}"
    SetOutPath "$INSTDIR"
    File "${STAGE}/pelmora-send.exe"
    File "${STAGE}/LICENSE.txt"
!ifdef WINDOW_PROGRAM
    File "${STAGE}/pelmora.exe"
    CreateShortcut "${SHORTCUT}" "$INSTDIR\pelmora.exe" "" "$INSTDIR\pelmora.exe" 0
    !define DISPLAY_ICON "$INSTDIR\pelmora.exe"
!else
    # Without the window program the entry opens the install folder.
    CreateShortcut "${SHORTCUT}" "$INSTDIR"
    !define DISPLAY_ICON "$INSTDIR\uninstall.exe"
!endif
    WriteUninstaller "$INSTDIR\uninstall.exe"

    # The entry of the list of installed programs.
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "${DISPLAY_ICON}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    IntFmt $0 "0x%08X" $0
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

# Only what the installer put there goes; the folder too, if nothing else is left in it. The
# registry entry goes last, so that once it is gone the uninstaller has done everything.
Section "Uninstall"
    Delete "${SHORTCUT}"
    Delete "$INSTDIR\pelmora.exe"
    Delete "$INSTDIR\pelmora-send.exe"
    Delete "$INSTDIR\LICENSE.txt"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
