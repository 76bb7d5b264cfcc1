; The Cratemark installer: the console, the label service and the xBase
; engine go into Tolvan's program folder, and the service is registered with
; the service control manager and started. Built by the "installer" target:
;   makensis -DVERSION=1.2.3.4 -DBIN_DIR=... -DSAMPLE_DESIGN=... -DOUT_FILE=... cratemark.nsi
; Silent: CratemarkSetup.exe /S /D=C:\Tolvan (the folder last, unquoted);
; /ALERT="<command line>" before /D sets the alert command.
Unicode true
; The programs are 64-bit: a 64-bit installer sees the native registry and
; system folder. This target has no plugins; everything below is built in.
Target amd64-unicode
RequestExecutionLevel admin
ManifestDPIAware true
SetCompressor /SOLID lzma

!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "WordFunc.nsh"

!define SERVICE "srvCratemark"
; The service's virtual account (registered by /INSTALL): Modify on the
; program folder, nothing more.
!define SERVICE_ACCOUNT "NT SERVICE\${SERVICE}"
; Each installed file: SYSTEM and Administrators full control, Users read and
; execute, nothing inherited, so that whoever may change Tolvan's folder can
; neither replace, delete nor re-permission our programs. SIDs, not names,
; which Windows translates.
!define PROGRAM_FILE_ACL "/inheritance:r /grant:r *S-1-5-18:F *S-1-5-32-544:F *S-1-5-32-545:RX"
!define PROGRAM_FOLDER_ACL "/inheritance:r /grant:r *S-1-5-18:(OI)(CI)F *S-1-5-32-544:(OI)(CI)F *S-1-5-32-545:(OI)(CI)RX"
; The service's event source (its message table is in CratemarkService.exe),
; written by /INSTALL.
!define EVENT_SOURCE_KEY "SYSTEM\CurrentControlSet\Services\EventLog\Application\${SERVICE}"
!define UNINSTALLER "Uninstall Cratemark.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Cratemark"
!define SHORTCUT "$SMPROGRAMS\Cratemark.lnk"
; Half-second polls while the service stops or starts: a minute at most.
!define STATE_POLLS 120

Name "Cratemark"
Caption "Cratemark ${VERSION} Setup"
OutFile "${OUT_FILE}"
InstallDir "C:\Tolvan"
; An upgrade offers the folder of the last install.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "Cratemark"
VIAddVersionKey "CompanyName" "Veltrane"
VIAddVersionKey "FileDescription" "Cratemark Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Copyright 2026 Veltrane"

DirText "Cratemark goes into Tolvan's program folder, the one that holds Tolvan's printer table TolvanSpool.DBF. An earlier install there is upgraded; your label design and settings stay." "Tolvan's program folder"
Page directory "" "" CheckHostFolder
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Var Registered  ; "1" when the service was registered before this run
Var AclFailures  ; what icacls could not protect, for the closing warning

Function CheckHostFolder
  ${IfNot} ${FileExists} "$INSTDIR\TolvanSpool.DBF"
    MessageBox MB_YESNO|MB_ICONEXCLAMATION|MB_DEFBUTTON2 \
      "$INSTDIR does not hold Tolvan's printer table TolvanSpool.DBF. Cratemark works only in Tolvan's program folder.$\r$\n$\r$\nInstall there anyway?" \
      /SD IDYES IDYES +2
    Abort
  ${EndIf}
FunctionEnd

; Stops the service when it is registered and waits until it has stopped, so
; that its program can be replaced or removed. Sets $Registered.
!macro StopServiceFunction prefix
Function ${prefix}StopService
  StrCpy $Registered "0"
  ExecWait '"$SYSDIR\sc.exe" query ${SERVICE}' $0
  ${If} $0 != 0
    Return
  ${EndIf}
  StrCpy $Registered "1"
  DetailPrint "Stopping the label service"
  ExecWait '"$SYSDIR\sc.exe" stop ${SERVICE}' $0
  StrCpy $1 0
  ${Do}
    ExecWait '"$SYSDIR\cmd.exe" /c sc query ${SERVICE} | find "STOPPED" >nul' $0
    ${If} $0 == 0
      Return
    ${EndIf}
    IntOp $1 $1 + 1
    ${If} $1 >= ${STATE_POLLS}
      Abort "The label service ${SERVICE} did not stop; stop it in the Services panel and run this again."
    ${EndIf}
    Sleep 500
  ${Loop}
FunctionEnd
!macroend
!insertmacro StopServiceFunction ""
!insertmacro StopServiceFunction "un."

; Gives the file or folder on the stack its own DACL (PROGRAM_FILE_ACL, or
; PROGRAM_FOLDER_ACL for a folder); a failure is collected in $AclFailures.
!macro ProtectProgram path acl
  ExecWait '"$SYSDIR\icacls.exe" "${path}" ${acl}' $0
  ${If} $0 != 0
    StrCpy $AclFailures "$AclFailures$\r$\n${path}"
  ${EndIf}
!macroend

Function ProtectPrograms
  StrCpy $AclFailures ""
  DetailPrint "Letting only SYSTEM and Administrators change the programs"
  !insertmacro ProtectProgram "$INSTDIR\Cratemark.exe" "${PROGRAM_FILE_ACL}"
  !insertmacro ProtectProgram "$INSTDIR\CratemarkService.exe" "${PROGRAM_FILE_ACL}"
  !insertmacro ProtectProgram "$INSTDIR\XBENGINE.DLL" "${PROGRAM_FILE_ACL}"
  !insertmacro ProtectProgram "$INSTDIR\cratemark-render.exe" "${PROGRAM_FILE_ACL}"
  !insertmacro ProtectProgram "$INSTDIR\LICENSE-zint.txt" "${PROGRAM_FILE_ACL}"
  !insertmacro ProtectProgram "$INSTDIR\${UNINSTALLER}" "${PROGRAM_FILE_ACL}"
  !insertmacro ProtectProgram "$INSTDIR\fonts" "${PROGRAM_FOLDER_ACL}"
  !insertmacro ProtectProgram "$INSTDIR\fonts\LiberationSansNarrow-Bold.ttf" "${PROGRAM_FILE_ACL}"
  !insertmacro ProtectProgram "$INSTDIR\fonts\DejaVuSansMono-Bold.ttf" "${PROGRAM_FILE_ACL}"
  !insertmacro ProtectProgram "$INSTDIR\fonts\DejaVuSansMono.ttf" "${PROGRAM_FILE_ACL}"
  !insertmacro ProtectProgram "$INSTDIR\fonts\LICENSE-DejaVu.txt" "${PROGRAM_FILE_ACL}"
  !insertmacro ProtectProgram "$INSTDIR\fonts\LICENSE-Liberation.txt" "${PROGRAM_FILE_ACL}"
FunctionEnd

; The service's account may change what the service writes in Tolvan's
; folder (spool folders, log, status, Printed, Unprinted, the host's tables
; and their locks): Modify there, inherited by what is and will be in it,
; except the programs, which inherit nothing. Needs the registration, which
; makes the account known.
Function GrantServiceFolder
  DetailPrint "Letting the label service change Tolvan's folder"
  ExecWait '"$SYSDIR\icacls.exe" "$INSTDIR" /grant "${SERVICE_ACCOUNT}:(OI)(CI)M"' $0
  ${If} $0 != 0
    StrCpy $AclFailures "$AclFailures$\r$\n$INSTDIR (the service's Modify)"
  ${EndIf}
FunctionEnd

Section "Cratemark"
  SetShellVarContext all
  ${IfNot} ${FileExists} "$INSTDIR\TolvanSpool.DBF"
    DetailPrint "Warning: $INSTDIR does not hold Tolvan's printer table TolvanSpool.DBF."
  ${EndIf}

  Call StopService
  ; Registered again below from the new program, with its current settings.
  ${If} $Registered == "1"
    ExecWait '"$SYSDIR\sc.exe" delete ${SERVICE}' $0
  ${EndIf}

  SetOutPath "$INSTDIR"
  SetOverwrite on
  File "${BIN_DIR}\Cratemark.exe"
  File "${BIN_DIR}\CratemarkService.exe"
  File "${BIN_DIR}\XBENGINE.DLL"
  File "${BIN_DIR}\cratemark-render.exe"
  ; The printer's fonts for the label picture, with their licence, and the
  ; licence of the barcode library the programs are built with.
  SetOutPath "$INSTDIR\fonts"
  File "${BIN_DIR}\fonts\LiberationSansNarrow-Bold.ttf"
  File "${BIN_DIR}\fonts\DejaVuSansMono-Bold.ttf"
  File "${BIN_DIR}\fonts\DejaVuSansMono.ttf"
  File "/oname=LICENSE-DejaVu.txt" "${FONT_LICENSE}"
  File "/oname=LICENSE-Liberation.txt" "${FONT_LICENSE_LIBERATION}"
  SetOutPath "$INSTDIR"
  File "/oname=LICENSE-zint.txt" "${ZINT_LICENSE}"
  ; The design is the user's: the sample only where there is none.
  ${IfNot} ${FileExists} "$INSTDIR\LabelDesign.txt"
    File "/oname=LabelDesign.txt" "${SAMPLE_DESIGN}"
  ${EndIf}

  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Cratemark"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Veltrane"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Cratemark.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1

  CreateShortCut "${SHORTCUT}" "$INSTDIR\Cratemark.exe" "" "$INSTDIR\Cratemark.exe" 0 \
    SW_SHOWNORMAL "" "Choose the printers, edit the label design and watch the label service"

  Call ProtectPrograms

  DetailPrint "Registering the label service"
  ExecWait '"$INSTDIR\CratemarkService.exe" /INSTALL /SILENT' $0
  ${If} $0 != 0
    Abort "The label service could not be registered (exit status $0)."
  ${EndIf}
  Call GrantServiceFolder
  ; The service still runs and prints; the administrator learns what to fix
  ; (and the service's start-up check says it again in its log).
  ${If} $AclFailures != ""
    MessageBox MB_OK|MB_ICONEXCLAMATION "The permissions of these could not be set. Give each program SYSTEM and Administrators full control and Users read and execute, with nothing inherited (icacls FILE ${PROGRAM_FILE_ACL}), and the service's account ${SERVICE_ACCOUNT} Modify on the folder:$AclFailures" /SD IDOK
    SetErrorLevel 2
  ${EndIf}
  DetailPrint "Starting the label service"
  ExecWait '"$SYSDIR\sc.exe" start ${SERVICE}' $0
  ; sc gives up waiting on a slow start that still succeeds: the state counts.
  StrCpy $1 0
  ${Do}
    ExecWait '"$SYSDIR\cmd.exe" /c sc query ${SERVICE} | find "RUNNING" >nul' $0
    ${If} $0 == 0
      ${Break}
    ${EndIf}
    IntOp $1 $1 + 1
    ${If} $1 >= ${STATE_POLLS}
      ; Installed and registered: it starts with Windows, or from the Services panel.
      MessageBox MB_OK|MB_ICONEXCLAMATION "The label service is installed but did not start now." /SD IDOK
      SetErrorLevel 2
      ${Break}
    ${EndIf}
    Sleep 500
  ${Loop}
SectionEnd

; "/ALERT=<command line>": the alert command for unattended installs, set
; through the service program, which keeps it where only administrators
; may write. The running service reads it at each alert: no restart.
Section "-Alert command"
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/ALERT=" $R1
  ${IfNot} ${Errors}
    DetailPrint "Setting the alert command"
    ; Quotes inside the command line reach the service program escaped.
    ${WordReplace} $R1 '"' '\"' "+" $R2
    ExecWait '"$INSTDIR\CratemarkService.exe" /ALERT "$R2" /SILENT' $0
    ${If} $0 != 0
      MessageBox MB_OK|MB_ICONEXCLAMATION "The alert command could not be set (exit status $0)." /SD IDOK
      SetErrorLevel 2
    ${EndIf}
  ${EndIf}
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  Call un.StopService
  ${If} $Registered == "1"
    ; While the account is known: it goes with the registration.
    ExecWait '"$SYSDIR\icacls.exe" "$INSTDIR" /remove:g "${SERVICE_ACCOUNT}"' $0
    DetailPrint "Removing the label service"
    ExecWait '"$INSTDIR\CratemarkService.exe" /UNINSTALL /SILENT' $0
    ${If} $0 != 0
      ExecWait '"$SYSDIR\sc.exe" delete ${SERVICE}' $0
    ${EndIf}
  ${EndIf}
  ; /UNINSTALL removes it; the sc fallback does not, and a source left
  ; behind would point Event Viewer at a program that is gone.
  DeleteRegKey HKLM "${EVENT_SOURCE_KEY}"
  ; /UNINSTALL removes the alert command too; the sc fallback may not.
  DeleteRegValue HKLM "SYSTEM\CurrentControlSet\Services\${SERVICE}\Parameters" "AlertCommand"
  ; Only what the installer put there: the design, the settings, the logs and
  ; Tolvan's own files stay, and so does the folder. The day's printed orders
  ; hold customers' names and addresses and go too; the orders never printed
  ; stay, so that none is lost, with a word about them.
  RMDir /r "$INSTDIR\Printed"
  ${If} ${FileExists} "$INSTDIR\Unprinted\*.spl"
    MessageBox MB_OK|MB_ICONEXCLAMATION "Orders that were never printed stay in $INSTDIR\Unprinted. They hold customers' names and addresses: read them, then delete the folder." /SD IDOK
  ${EndIf}
  Delete "$INSTDIR\Cratemark.exe"
  Delete "$INSTDIR\CratemarkService.exe"
  Delete "$INSTDIR\XBENGINE.DLL"
  Delete "$INSTDIR\cratemark-render.exe"
  Delete "$INSTDIR\LICENSE-zint.txt"
  Delete "$INSTDIR\fonts\DejaVuSansCondensed-Bold.ttf"
  Delete "$INSTDIR\fonts\LiberationSansNarrow-Bold.ttf"
  Delete "$INSTDIR\fonts\DejaVuSansMono-Bold.ttf"
  Delete "$INSTDIR\fonts\DejaVuSansMono.ttf"
  Delete "$INSTDIR\fonts\LICENSE-DejaVu.txt"
  Delete "$INSTDIR\fonts\LICENSE-Liberation.txt"
  RMDir "$INSTDIR\fonts"
  Delete "$INSTDIR\${UNINSTALLER}"
  Delete "${SHORTCUT}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
