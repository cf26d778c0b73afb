; The installer of Vantrel, made by scripts/package.sh with makensis:
;   makensis -DVERSION=X.Y.Z -DBIN=FOLDER -DFILES=FILES.nsh -DICON=ICO
;            -DPICTURE=BMP -DOUTFILE=EXE Vantrel.nsi
; ICO is the program's icon, BMP the picture of the welcome and finish pages
; (164 x 314 pixels) drawn from it.
; FILES.nsh defines the macro VANTREL_FILES, which names every file of the
; package once; the install copies them and the uninstaller deletes exactly
; those, so a file added to the package is also removed again.
;
; It installs for the current user only, without elevation, into
; %LOCALAPPDATA%\Programs\Vantrel; /S installs silently, /D= picks the folder.

; Vantrel.exe is a 64-bit program; its installer is one too.
Target amd64-unicode
!include "MUI2.nsh"

!define PRODUCT "Vantrel"
!define PUBLISHER "Talvenor"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define UNINSTALLER "Uninstall Vantrel.exe"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
SetCompressor /SOLID lzma
ShowInstDetails show
ShowUninstDetails show
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) ${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${PICTURE}"
!define MUI_ABORTWARNING
!define MUI_ABORTWARNING_TEXT "Vantrel is not installed yet. Do you want to stop?"

!define MUI_WELCOMEPAGE_TITLE "Install Vantrel"
!define MUI_WELCOMEPAGE_TEXT "Vantrel gets lost and deleted photos back from memory cards, USB sticks and disks.$\r$\n$\r$\nIt is installed for you only, and it needs no administrator.$\r$\n$\r$\nIf you have just lost photos, stop using the card now: do not take pictures with it and do not copy anything onto it.$\r$\n$\r$\nPress Next to go on."
!insertmacro MUI_PAGE_WELCOME

!define MUI_DIRECTORYPAGE_TEXT_TOP "Vantrel will be installed in the folder below. To put it somewhere else, press Browse and choose another folder. Then press Install."
!insertmacro MUI_PAGE_DIRECTORY

; The list of what was copied stays until the user presses Next.
!define MUI_FINISHPAGE_NOAUTOCLOSE
!insertmacro MUI_PAGE_INSTFILES

!define MUI_FINISHPAGE_TITLE "Vantrel is installed"
!define MUI_FINISHPAGE_TEXT "You can start Vantrel from the Start menu.$\r$\n$\r$\nPut the card into a card reader first, then choose it in step 1. Copy the photos you get back to another drive, never onto the card itself."
!define MUI_FINISHPAGE_RUN "$INSTDIR\Vantrel.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start Vantrel now"
!define MUI_FINISHPAGE_RUN_NOTCHECKED
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

!include "${FILES}"

!macro InstallFile name
  File "${BIN}\${name}"
!macroend

!macro RemoveFile name
  Delete "$INSTDIR\${name}"
!macroend

Section "Vantrel"
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  !insertmacro VANTREL_FILES InstallFile
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  CreateShortCut "${SHORTCUT}" "$INSTDIR\Vantrel.exe" "" "$INSTDIR\Vantrel.exe" 0 SW_SHOWNORMAL "" "Get lost photos back from a memory card"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Vantrel.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Only the package's own files go: anything the user put into the folder
; stays, and the folder with it.
Section "Uninstall"
  SetShellVarContext current
  !insertmacro VANTREL_FILES RemoveFile
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"
  Delete "${SHORTCUT}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
