; Gombrel's installer, one script for both Windows builds; scripts/package-windows
; runs it as
;   makensis -DARCH=x64|x86 -DVERSION=1.0 -DFILE_VERSION=1.0.0.0 -DSTAGE=FOLDER -DICON=FILE -DOUTFILE=FILE gombrel.nsi
; with FOLDER the build's installed layout (dist/windows/CMakeLists.txt).
;
; Per machine, for an administrator: the files into Program Files\Gombrel
; (Program Files (x86) for x86 on 64-bit Windows), "Gombrel" in every user's
; Start menu, and the uninstall key Apps & Features reads.  The x64 installer
; is a 64-bit program itself, so it sees the 64-bit Program Files and
; registry without redirection (and refuses to start on 32-bit Windows,
; where the program could not run either).  The x86 one writes the 32-bit
; view of the registry, where Windows looks for a 32-bit program's key.
;
; One Gombrel per machine: an earlier installation of either kind, wherever
; it lies, is uninstalled by its own uninstaller before the files are
; copied, so an upgrade or a change of kind leaves one entry and one
; shortcut, and no file of the earlier version.  The uninstaller removes
; what the installer made and nothing else: the settings, which each user
; keeps in %APPDATA%\Gombrel, stay.

!if "${ARCH}" == "x64"
  Target amd64-unicode
  !define PROGRAM_FILES "$PROGRAMFILES64"
  !define REGISTRY_VIEW 64
  !define BITS 64
!else if "${ARCH}" == "x86"
  Target x86-unicode
  !define PROGRAM_FILES "$PROGRAMFILES32"
  !define REGISTRY_VIEW 32
  !define BITS 32
!else
  !error "ARCH must be x64 or x86"
!endif

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Gombrel"
!define PUBLISHER "Gombrel maintainers"
!define SHORTCUT "$SMPROGRAMS\Gombrel.lnk"

!include FileFunc.nsh
!include LogicLib.nsh
!include MUI2.nsh
!include x64.nsh

Name "Gombrel ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "${PROGRAM_FILES}\Gombrel"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
ManifestDPIAware true
SetCompressor /SOLID lzma
BrandingText "Gombrel ${VERSION} (${BITS}-bit)"

VIProductVersion "${FILE_VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "Gombrel"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "Gombrel ${VERSION} (${BITS}-bit) Setup"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (c) 2026 the Gombrel maintainers, MIT licence"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
; The licence grants rights and asks nothing in return: shown, not agreed to.
!define MUI_LICENSEPAGE_BUTTON "$(^NextBtn)"
!define MUI_LICENSEPAGE_TEXT_BOTTOM "Gombrel is free software under this licence; nothing needs to be accepted to use it."
!insertmacro MUI_PAGE_LICENSE "${STAGE}/LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\README.txt"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; The files of the installed folder, for copying and for removing alike.
!macro GOMBREL_FILES ACTION
  !insertmacro ${ACTION} gombrel.exe
  !insertmacro ${ACTION} gombrel-cli.exe
  !insertmacro ${ACTION} d2result.dll
  !insertmacro ${ACTION} README.txt
  !insertmacro ${ACTION} LICENSE.txt
  !insertmacro ${ACTION} THIRD-PARTY-NOTICES.txt
!macroend
!macro COPY_FILE NAME
  File "${STAGE}/${NAME}"
!macroend
!macro REMOVE_FILE NAME
  Delete /REBOOTOK "$INSTDIR\${NAME}"
!macroend

Function .onInit
  SetShellVarContext all
  SetRegView ${REGISTRY_VIEW}
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "Admin"
    MessageBox MB_ICONSTOP "Gombrel is installed for every user of this computer, which needs an administrator." /SD IDOK
    SetErrorLevel 740 ; ERROR_ELEVATION_REQUIRED
    Quit
  ${EndIf}
FunctionEnd

; Uninstalls the installation whose key lies in the current registry view,
; if any: by its own uninstaller, run in its folder and waited for, so that
; whatever that version made goes.  A key left without its uninstaller is
; removed with the shortcut.
Function RemoveEarlierInstallation
  ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ReadRegStr $2 HKLM "${UNINSTALL_KEY}" "UninstallString"
  ${If} $2 == ""
    Return
  ${EndIf}
  DetailPrint "Removing the Gombrel installed in $1"
  ${If} $1 != ""
  ${AndIf} ${FileExists} "$1\uninstall.exe"
    ExecWait '"$1\uninstall.exe" /S _?=$1'
    ; Run in place, the uninstaller cannot remove itself.
    Delete "$1\uninstall.exe"
    RMDir "$1"
  ${EndIf}
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  Delete "${SHORTCUT}"
FunctionEnd

Section
  ; 32-bit Windows, where only the x86 installer runs, has one view.
  !if "${ARCH}" == "x86"
    ${If} ${RunningX64}
  !endif
  SetRegView 64
  Call RemoveEarlierInstallation
  !if "${ARCH}" == "x86"
    ${EndIf}
  !endif
  SetRegView 32
  Call RemoveEarlierInstallation
  SetRegView ${REGISTRY_VIEW}

  SetOutPath "$INSTDIR"
  !insertmacro GOMBREL_FILES COPY_FILE
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "${SHORTCUT}" "$INSTDIR\gombrel.exe" "" "$INSTDIR\gombrel.exe" 0 SW_SHOWNORMAL "" \
    "Copy DOE-2 results into the ASHRAE Standard 140 results workbooks"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Gombrel (${BITS}-bit)"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\gombrel.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Function un.onInit
  SetShellVarContext all
  SetRegView ${REGISTRY_VIEW}
FunctionEnd

Section Uninstall
  !insertmacro GOMBREL_FILES REMOVE_FILE
  Delete "$INSTDIR\uninstall.exe"
  ; Not at the next start when in use: run in place by a newer installer,
  ; the uninstaller is still there, and the folder may be the new one.
  RMDir "$INSTDIR"
  Delete "${SHORTCUT}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
