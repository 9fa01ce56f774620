; The player's installer. Built by scripts/make_installer.sh, which defines
;   VERSION   the program's version          DIST     the i686 program folder
;   OUTFILE   the installer to write         FILES    the generated file lists (files.nsh)
;
; Started without arguments it asks for a folder (Program Files\Velmora by default) and
; installs there with a start-menu entry and an uninstaller. Started with a folder as its
; only argument (as the player's auto update does: install.exe "<program folder>") it
; upgrades that folder silently in place: the running player is asked to close, the
; program's files are replaced, and the playlist pl.m3u, designs the user added and the
; settings stay; then the player starts again.

Unicode false
SetCompressor /SOLID lzma
RequestExecutionLevel admin

Name "Velmora ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\Velmora"
InstallDirRegKey HKLM "Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmora" "InstallLocation"
ShowInstDetails show

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmora"
!define MENU_FOLDER "$SMPROGRAMS\Velmora MP3 Player"

Var Upgrade

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; The program folder given as the only argument, without its quotes; empty without one.
Function FolderArgument
  Push $R0
  Push $R1
  Push $R2
  StrCpy $R0 $CMDLINE
  ; Skip the installer's own name (quoted or not).
  StrCpy $R1 $R0 1
  StrCmp $R1 '"' 0 plain
    StrCpy $R2 1
  quoted_loop:
    StrCpy $R1 $R0 1 $R2
    IntOp $R2 $R2 + 1
    StrCmp $R1 "" done
    StrCmp $R1 '"' rest quoted_loop
  plain:
    StrCpy $R2 0
  plain_loop:
    StrCpy $R1 $R0 1 $R2
    IntOp $R2 $R2 + 1
    StrCmp $R1 "" done
    StrCmp $R1 " " rest plain_loop
  rest:
    StrCpy $R0 $R0 "" $R2
  trim:
    StrCpy $R1 $R0 1
    StrCmp $R1 " " 0 unquote
    StrCpy $R0 $R0 "" 1
    Goto trim
  unquote:
    StrCpy $R1 $R0 1
    StrCmp $R1 '"' 0 check
    StrCpy $R0 $R0 "" 1
    StrCpy $R1 $R0 1 -1
    StrCmp $R1 '"' 0 check
    StrCpy $R0 $R0 -1
  check:
    ; Switches (/S, /D=...) are NSIS's own, not a folder.
    StrCpy $R1 $R0 1
    StrCmp $R1 "/" 0 +2
    StrCpy $R0 ""
    Goto finish
  done:
    StrCpy $R0 ""
  finish:
  Pop $R2
  Pop $R1
  Exch $R0
FunctionEnd

Function .onInit
  StrCpy $Upgrade 0
  Call FolderArgument
  Pop $0
  StrCmp $0 "" no_argument
    StrCpy $INSTDIR $0
    StrCpy $Upgrade 1
    SetSilent silent
  no_argument:
FunctionEnd

; Asks a running player to close (its VelmoraExit message) and waits for it to go.
!macro CLOSE_RUNNING_PLAYER prefix
Function ${prefix}CloseRunningPlayer
  System::Call 'user32::RegisterWindowMessageA(t "VelmoraExit") i .r1'
  StrCpy $2 0
  loop:
    FindWindow $0 "TForm1" "ORVANE Velmora"
    IntCmp $0 0 gone
    SendMessage $0 $1 0 0 /TIMEOUT=2000
    Sleep 250
    IntOp $2 $2 + 1
    IntCmp $2 40 gone loop gone
  gone:
FunctionEnd
!macroend
!insertmacro CLOSE_RUNNING_PLAYER ""
!insertmacro CLOSE_RUNNING_PLAYER "un."

Section "Velmora"
  Call CloseRunningPlayer
  SetOverwrite on
  SetOutPath "$INSTDIR"
  !include "${FILES}"
  CreateDirectory "$INSTDIR\Temp"
  CreateDirectory "$INSTDIR\Library"
  CreateDirectory "$INSTDIR\Design"
  CreateDirectory "$INSTDIR\Icons"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  SetShellVarContext all
  CreateDirectory "${MENU_FOLDER}"
  CreateShortcut "${MENU_FOLDER}\Velmora MP3 Player.lnk" "$INSTDIR\velmora.exe" "" "" 0 SW_SHOWNORMAL "" "The Ultimate MP3 Player"
  CreateShortcut "${MENU_FOLDER}\Uninstall Velmora.lnk" "$INSTDIR\uninstall.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Velmora"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1

  ; An upgrade started by the player brings it back.
  StrCmp $Upgrade 1 0 +2
  Exec '"$INSTDIR\velmora.exe"'
SectionEnd

; Removes what the installer put there; the playlist (pl.m3u), the error log, designs and
; icons the user added stay, and with them the folders that hold them.
Section "Uninstall"
  Call un.CloseRunningPlayer
  !include "${FILES_UNINSTALL}"
  Delete "$INSTDIR\uninstall.exe"
  Delete "$INSTDIR\Temp\info.ini"
  Delete "$INSTDIR\Temp\install.exe"
  RMDir "$INSTDIR\Temp"
  RMDir "$INSTDIR\Library"
  RMDir "$INSTDIR\Design"
  RMDir "$INSTDIR\Icons"
  RMDir "$INSTDIR"

  SetShellVarContext all
  Delete "${MENU_FOLDER}\Velmora MP3 Player.lnk"
  Delete "${MENU_FOLDER}\Uninstall Velmora.lnk"
  RMDir "${MENU_FOLDER}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
