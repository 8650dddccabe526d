; Per-user installer: no administrator rights, everything under the user's own
; folders and HKCU. The user's settings (%APPDATA%\tiledex) are never touched.
; Built by the CMake target "dist"; expects STAGE (folder with the stripped files),
; OUTFILE and VERSION on the command line.

Unicode true
Target amd64-unicode
RequestExecutionLevel user
SetCompressor /SOLID lzma
ManifestDPIAware true

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "WinMessages.nsh"

!define APP_NAME "Tiledex"
!define MAIN_CLASS "TTiledexMain"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tiledex"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
; The program's own autorun value: same name and quoted data as its options dialog writes.
!define RUN_VALUE "Tiledex"

Name "${APP_NAME}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Tiledex"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${APP_NAME} ${VERSION}"
VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=1041 "ProductName" "${APP_NAME}"
VIAddVersionKey /LANG=1041 "FileDescription" "${APP_NAME} セットアップ"
VIAddVersionKey /LANG=1041 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "ProductVersion" "${VERSION}"

!define MUI_ICON "${RESOURCES}\icons\mainicon.ico"
!define MUI_UNICON "${RESOURCES}\icons\mainicon.ico"
!define MUI_FINISHPAGE_RUN "$INSTDIR\tiledex.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Japanese"

; Asks a running Tiledex to exit (it removes its hooks and icon on WM_CLOSE) and
; waits a little for its window to go, so that its files can be replaced or removed.
!macro CloseRunningTiledex
  FindWindow $0 "${MAIN_CLASS}" ""
  ${If} $0 <> 0
    SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=5000
    StrCpy $1 0
    ${Do}
      Sleep 100
      IntOp $1 $1 + 1
      FindWindow $0 "${MAIN_CLASS}" ""
      ${If} $0 = 0
      ${OrIf} $1 >= 50
        ${Break}
      ${EndIf}
    ${Loop}
    ; The window goes before the process has let go of its files.
    Sleep 500
  ${EndIf}
!macroend

; The hook library can stay mapped into other programs for a while after
; Tiledex exited (until they next handle a message, and on some systems until
; they end), which keeps it from being deleted. A mapped file can still be
; renamed: move it out of the way into the temp folder, where it is removed at
; the next restart or temp clean-up, so the program folder itself can go.
!macro RemoveOrMoveAside FILE
  StrCpy $1 0
  ${Do}
    Delete "${FILE}"
    ${IfNot} ${FileExists} "${FILE}"
    ${OrIf} $1 >= 8
      ${Break}
    ${EndIf}
    IntOp $1 $1 + 1
    Sleep 250
  ${Loop}
  ${If} ${FileExists} "${FILE}"
    GetTempFileName $2
    Delete $2
    Rename "${FILE}" $2
    Delete /REBOOTOK $2
  ${EndIf}
!macroend

Section "Tiledex" SecMain
  SectionIn RO
  !insertmacro CloseRunningTiledex
  ${If} ${FileExists} "$INSTDIR\tdxhook.dll"
    !insertmacro RemoveOrMoveAside "$INSTDIR\tdxhook.dll"
  ${EndIf}
  ${If} ${FileExists} "$INSTDIR\tdxhook32.dll"
    !insertmacro RemoveOrMoveAside "$INSTDIR\tdxhook32.dll"
  ${EndIf}
  SetOutPath "$INSTDIR"
  File "${STAGE}\tiledex.exe"
  File "${STAGE}\tdxhook.dll"
!ifdef HOOK32
  File "${STAGE}\tdxhook32.dll"
  File "${STAGE}\tdxhook32.exe"
!endif
  File "${STAGE}\tiledex.chm"
  File "${STAGE}\tiledex-en.chm"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortcut "$SMPROGRAMS\Tiledex.lnk" "$INSTDIR\tiledex.exe" "" "$INSTDIR\tiledex.exe" 0

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${APP_NAME}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tiledex.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section /o "Windows の起動時に実行する" SecAutorun
  WriteRegStr HKCU "${RUN_KEY}" "${RUN_VALUE}" '"$INSTDIR\tiledex.exe"'
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecMain} "Tiledex 本体、フックライブラリとヘルプ"
  !insertmacro MUI_DESCRIPTION_TEXT ${SecAutorun} "ログオンしたときに Tiledex を起動します"
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Function .onInit
  SetShellVarContext current
  ; /AUTORUN selects the start-with-Windows option, for silent installs.
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/AUTORUN" $1
  ${IfNot} ${Errors}
    SectionGetFlags ${SecAutorun} $1
    IntOp $1 $1 | ${SF_SELECTED}
    SectionSetFlags ${SecAutorun} $1
  ${EndIf}
FunctionEnd

Function un.onInit
  SetShellVarContext current
FunctionEnd

Section "Uninstall"
  !insertmacro CloseRunningTiledex
  !insertmacro RemoveOrMoveAside "$INSTDIR\tiledex.exe"
  !insertmacro RemoveOrMoveAside "$INSTDIR\tdxhook.dll"
  !insertmacro RemoveOrMoveAside "$INSTDIR\tdxhook32.dll"
  Delete "$INSTDIR\tdxhook32.exe"
  Delete "$INSTDIR\tiledex.chm"
  Delete "$INSTDIR\tiledex-en.chm"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Tiledex.lnk"

  ; Only an autorun value that starts this copy goes; one naming a portable copy
  ; elsewhere is the user's.
  ReadRegStr $0 HKCU "${RUN_KEY}" "${RUN_VALUE}"
  ${If} $0 == '"$INSTDIR\tiledex.exe"'
  ${OrIf} $0 == "$INSTDIR\tiledex.exe"
    DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
  ${EndIf}
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
