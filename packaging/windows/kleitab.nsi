; The installer of the Windows program, made by makensis from the portable
; folder: in Russian, for the current user (no administrator needed), with
; a Start menu entry and an uninstaller. makensis is given
; -DVERSION=1.10 -DDIST=<the portable folder> -DOUTFILE=<setup.exe> -DICON=<kleitab.ico>.
Unicode true
Target amd64-unicode
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include "MUI2.nsh"

Name "Клейтаб ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Kleitab"
InstallDirRegKey HKCU "Software\Kleitab" "InstallDir"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kleitab"

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=1049 "ProductName" "Клейтаб"
VIAddVersionKey /LANG=1049 "LegalCopyright" "Разработчики Клейтаба"
VIAddVersionKey /LANG=1049 "FileDescription" "Установка программы Клейтаб"
VIAddVersionKey /LANG=1049 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1049 "ProductVersion" "${VERSION}"

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Russian"

Section "Клейтаб"
  SetOutPath "$INSTDIR"
  File /r "${DIST}\*"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateDirectory "$SMPROGRAMS\Клейтаб"
  CreateShortcut "$SMPROGRAMS\Клейтаб\Клейтаб.lnk" "$INSTDIR\kleitab.exe" "" "$INSTDIR\kleitab.exe" 0
  CreateShortcut "$SMPROGRAMS\Клейтаб\Удалить Клейтаб.lnk" "$INSTDIR\uninstall.exe"
  WriteRegStr HKCU "Software\Kleitab" "InstallDir" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Клейтаб"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\kleitab.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  ; Only what the installer put there; init.ini and the user's files stay.
  Delete "$INSTDIR\kleitab.exe"
  Delete "$INSTDIR\kleitab.com"
  Delete "$INSTDIR\*.dll"
  Delete "$INSTDIR\qt.conf"
  RMDir /r "$INSTDIR\platforms"
  RMDir /r "$INSTDIR\styles"
  RMDir /r "$INSTDIR\translations"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Клейтаб\Клейтаб.lnk"
  Delete "$SMPROGRAMS\Клейтаб\Удалить Клейтаб.lnk"
  RMDir "$SMPROGRAMS\Клейтаб"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DeleteRegKey HKCU "Software\Kleitab"
SectionEnd
