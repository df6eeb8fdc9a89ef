; Tempiro's installer: one file holding both builds, the 64-bit program for
; 64-bit Windows and the 32-bit one for the rest, with the junk-cleaning
; batch and the help file beside it. Saved as UTF-8 with a byte order mark,
; which makensis needs to read the Chinese texts right.
;
; makensis -DVERSION=2020.1.0 -DOUTFILE=... -DWIN64_DIR=... -DWIN32_DIR=...
;          -DRESOURCES=... [-DTARGET_AMD64] [-DSIGN_COMMAND=...] tempiro.nsi
; installer/build.sh passes these; `make dist` runs it.

Unicode true
!ifdef TARGET_AMD64
  ; Only for the Wine tests, whose prefixes run 64-bit programs alone: the
  ; same script as a 64-bit installer. What is shipped is 32-bit, so that it
  ; runs on every Windows.
  Target amd64-unicode
  ; There "RunningX64" is known to hold when compiling: the 32-bit branches
  ; are left out, and their labels unused.
  !pragma warning disable 6012
!endif
!ifndef VERSION
  !error "VERSION is not given (installer/build.sh gives it)"
!endif
!ifndef OUTFILE
  !error "OUTFILE is not given (installer/build.sh gives it)"
!endif
!ifndef WIN64_DIR
  !error "WIN64_DIR is not given (installer/build.sh gives it)"
!endif
!ifndef WIN32_DIR
  !error "WIN32_DIR is not given (installer/build.sh gives it)"
!endif
!ifndef RESOURCES
  !error "RESOURCES is not given (installer/build.sh gives it)"
!endif

!define PRODUCT "Tempiro"
!define PUBLISHER "Qelvora"
!define EXE "Tempiro.exe"
!define UNINSTALLER "uninstall.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tempiro"
; The program's own keys, in the 64-bit view as the program opens them.
!define STORE_KEY "Software\Qelvora\Tempiro"
!define STORE_PARENT_KEY "Software\Qelvora"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define AUTOSTART_VALUE "Horlane"
!define LOGON_TASK "Tempiro"
; The running program's main window; WM_CLOSE ends the program as its Exit does.
!define MAIN_WINDOW_CLASS "TempiroMain"
!define END_WAIT_MS 15000
!define SYNCHRONIZE 0x00100000

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel admin
ManifestDPIAware true
SetCompressor /SOLID lzma
BrandingText "${PUBLISHER}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=2052 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=2052 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=2052 "FileDescription" "${PRODUCT} 安装程序"
VIAddVersionKey /LANG=2052 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "LegalCopyright" "Copyright © 2020 ${PUBLISHER}"

!ifdef SIGN_COMMAND
  !uninstfinalize `${SIGN_COMMAND} "%1"` = 0
  !finalize `${SIGN_COMMAND} "%1"` = 0
!endif

!include MUI2.nsh
!include LogicLib.nsh
!include x64.nsh
!include FileFunc.nsh
!include WinMessages.nsh

!define MUI_ICON "${RESOURCES}/mainicon.ico"
!define MUI_UNICON "${RESOURCES}/mainicon.ico"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\${EXE}"
!define MUI_FINISHPAGE_RUN_TEXT "运行 ${PRODUCT}"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

LangString EndingProgram ${LANG_SIMPCHINESE} "正在退出正在运行的 ${PRODUCT}..."
LangString StillRunning ${LANG_SIMPCHINESE} "${PRODUCT} 仍在运行，无法继续。$\r$\n请从任务栏通知区域的菜单退出它，然后点击“重试”。"
LangString DeleteTasks ${LANG_SIMPCHINESE} "是否同时删除 ${PRODUCT} 的任务和设置？$\r$\n$\r$\n选择“否”将保留它们，重新安装后仍可使用。"
LangString FolderRefused ${LANG_SIMPCHINESE} "无法设置安装文件夹的权限：$\r$\n$INSTDIR$\r$\n$\r$\n${PRODUCT} 以管理员权限运行，它的文件夹只能允许管理员修改。请重新运行安装程序，选择其他文件夹。"
LangString TasksFailed ${LANG_SIMPCHINESE} "任务设置文件未能导入（错误代码 $0）：$\r$\n$TasksFile"
LangString RebootToFinish ${LANG_SIMPCHINESE} "有些文件正在使用（可能是另一位用户登录中运行的 ${PRODUCT}），将在计算机重新启动时删除。$\r$\n$\r$\n是否现在重新启动？"

; Ends the running copy the way the program ends on exit: WM_CLOSE to its
; main window takes the icon from the tray and ends the process. Waits for
; the process to end; should it not, asks to retry (a silent run gives up).
!macro END_RUNNING_COPY prefix
Function ${prefix}EndRunningCopy
  Push $0
  Push $1
  Push $2
  Push $3
  again:
  FindWindow $0 "${MAIN_WINDOW_CLASS}"
  ${If} $0 P<> 0
    DetailPrint "$(EndingProgram)"
    System::Call 'user32::GetWindowThreadProcessId(p r0, *i 0 r1) i'
    System::Call 'kernel32::OpenProcess(i ${SYNCHRONIZE}, i 0, i r1) p .r2'
    System::Call 'user32::PostMessageW(p r0, i ${WM_CLOSE}, p 0, p 0) i'
    ${If} $2 P<> 0
      System::Call 'kernel32::WaitForSingleObject(p r2, i ${END_WAIT_MS}) i .r3'
      System::Call 'kernel32::CloseHandle(p r2)'
    ${Else}
      ; No handle on the process: wait for its window to go.
      StrCpy $3 0
      ${DoWhile} $3 < ${END_WAIT_MS}
        IsWindow $0 0 gone
        Sleep 200
        IntOp $3 $3 + 200
      ${Loop}
      gone:
    ${EndIf}
    FindWindow $0 "${MAIN_WINDOW_CLASS}"
    ${If} $0 P<> 0
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(StillRunning)" /SD IDCANCEL IDRETRY again
      SetErrorLevel 3
      Quit
    ${EndIf}
  ${EndIf}
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro END_RUNNING_COPY ""
!insertmacro END_RUNNING_COPY "un."

; Gives the folder the rights of Program Files, before anything is written
; into it: owned by Administrators, full control for Administrators and
; SYSTEM, read and run for Users, nothing inherited from the folder above and
; no entry of anyone else. The program runs elevated: whoever could change its
; files could run anything as an administrator. icacls from the system folder,
; with well-known SIDs, so that it reads the same on Windows of any language;
; inside Program Files this gives what the folder has already. A folder whose
; rights cannot be set is refused.
!macro ICACLS arguments
  ${If} $0 == 0
    nsExec::Exec '"$SYSDIR\icacls.exe" "$INSTDIR" ${arguments} /Q'
    Pop $0
  ${EndIf}
!macroend
Function SecureInstallFolder
  Push $0
  CreateDirectory "$INSTDIR"
  StrCpy $0 0
  !insertmacro ICACLS "/setowner *S-1-5-32-544"
  ; A folder that was there before loses the entries set on it, then those
  ; it inherits.
  !insertmacro ICACLS "/reset"
  !insertmacro ICACLS "/inheritance:r /grant:r *S-1-5-32-544:(OI)(CI)F *S-1-5-18:(OI)(CI)F *S-1-5-32-545:(OI)(CI)RX"
  ${If} $0 != 0
    DetailPrint "icacls: $0"
    MessageBox MB_OK|MB_ICONSTOP "$(FolderRefused)" /SD IDOK
    Abort
  ${EndIf}
  Pop $0
FunctionEnd

; A settings file the installed program imports: /TASKS=FILE puts its tasks
; in place of those present, /APPEND with it adds them after them.
Var TasksFile
Var TasksAppend

Function .onInit
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
  ${GetParameters} $0
  ${GetOptions} $0 "/TASKS=" $TasksFile
  ClearErrors
  ${GetOptions} $0 "/APPEND" $1
  ${IfNot} ${Errors}
  ${AndIf} $1 == ""
    StrCpy $TasksAppend " /append"
  ${EndIf}
  ; A name relative to the folder the installer was started in, where the
  ; program, started in its own folder, would not find it.
  ${If} $TasksFile != ""
    System::Call 'kernel32::GetFullPathNameW(w "$TasksFile", i ${NSIS_MAX_STRLEN}, w .r1, p 0) i .r2'
    ${If} $2 > 0
    ${AndIf} $2 < ${NSIS_MAX_STRLEN}
      StrCpy $TasksFile $1
    ${EndIf}
  ${EndIf}
  ; /D= on the command line chooses the folder; otherwise the folder of an
  ; earlier install, otherwise Program Files.
  ${If} $INSTDIR == ""
    ReadRegStr $INSTDIR HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${EndIf}
  ${If} $INSTDIR == ""
    ${If} ${RunningX64}
      StrCpy $INSTDIR "$PROGRAMFILES64\${PRODUCT}"
    ${Else}
      StrCpy $INSTDIR "$PROGRAMFILES\${PRODUCT}"
    ${EndIf}
  ${EndIf}
FunctionEnd

Section "${PRODUCT}"
  Call EndRunningCopy
  Call SecureInstallFolder
  ; Made anew rather than written over, so that no file keeps an owner or
  ; rights of its own from before: each takes the folder's.
  Delete "$INSTDIR\${EXE}"
  Delete "$INSTDIR\QLLJ.bat"
  Delete "$INSTDIR\Tempiro.CHM"
  Delete "$INSTDIR\${UNINSTALLER}"
  SetOutPath "$INSTDIR"
  SetOverwrite on
  ${If} ${RunningX64}
    File "/oname=${EXE}" "${WIN64_DIR}/${EXE}"
  ${Else}
    File "/oname=${EXE}" "${WIN32_DIR}/${EXE}"
  ${EndIf}
  File "${WIN64_DIR}/QLLJ.bat"
  File "${WIN64_DIR}/Tempiro.CHM"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  SetShellVarContext all
  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortCut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\${EXE}"
  CreateShortCut "$SMPROGRAMS\${PRODUCT}\${PRODUCT} 帮助.lnk" "$INSTDIR\Tempiro.CHM"
  CreateShortCut "$SMPROGRAMS\${PRODUCT}\卸载 ${PRODUCT}.lnk" "$INSTDIR\${UNINSTALLER}"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${EXE}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
  ${If} $TasksFile != ""
    Call ImportTasks
  ${EndIf}
SectionEnd

; The file of /TASKS= through the program just installed, as its
; "/import FILE [/append]" takes it; no copy runs now, the section ended it.
; A failure gives the installer the exit code 10 plus the program's (13 the
; file cannot be read, 14 it is no settings file, 15 the store failed), 11
; when the program did not run, 12 for a name with a quote in it, which no
; file has and which would end the argument early.
Function ImportTasks
  Push $0
  Push $1
  StrCpy $1 0
  ${Do}
    StrCpy $0 $TasksFile 1 $1
    ${If} $0 == '"'
    ${OrIf} $0 == ""
      ${ExitDo}
    ${EndIf}
    IntOp $1 $1 + 1
  ${Loop}
  ${If} $0 == '"'
    StrCpy $0 2
  ${Else}
    ClearErrors
    ExecWait '"$INSTDIR\${EXE}" /import "$TasksFile"$TasksAppend' $0
    ${If} ${Errors}
      StrCpy $0 1
    ${EndIf}
  ${EndIf}
  ${If} $0 != 0
    IntOp $0 $0 + 10
    DetailPrint "$(TasksFailed)"
    MessageBox MB_OK|MB_ICONEXCLAMATION "$(TasksFailed)" /SD IDOK
    SetErrorLevel $0
  ${EndIf}
  Pop $1
  Pop $0
FunctionEnd

Function un.onInit
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
FunctionEnd

Section "Uninstall"
  Call un.EndRunningCopy

  ; The tasks and options stay unless the user says otherwise; a silent
  ; uninstall keeps them.
  MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "$(DeleteTasks)" /SD IDNO IDNO keepStore
    DeleteRegKey HKLM "${STORE_KEY}"
    DeleteRegKey /ifempty HKLM "${STORE_PARENT_KEY}"
  keepStore:

  ; The autostart entry, when it starts this copy, quoted as the program
  ; writes it or bare as it once did; and the logon task it registers.
  ReadRegStr $0 HKLM "${RUN_KEY}" "${AUTOSTART_VALUE}"
  ${If} $0 == "$INSTDIR\${EXE}"
  ${OrIf} $0 == '"$INSTDIR\${EXE}"'
    DeleteRegValue HKLM "${RUN_KEY}" "${AUTOSTART_VALUE}"
  ${EndIf}
  nsExec::Exec '"$SYSDIR\schtasks.exe" /Delete /TN "${LOGON_TASK}" /F'
  Pop $0

  ; A file held open, as by a copy running in another user's logon, which
  ; the window search above does not reach, goes when Windows next starts.
  Delete /REBOOTOK "$INSTDIR\${EXE}"
  Delete /REBOOTOK "$INSTDIR\QLLJ.bat"
  Delete /REBOOTOK "$INSTDIR\Tempiro.CHM"
  ; The lists the junk cleaning wrote beside the program.
  Delete /REBOOTOK "$INSTDIR\清理系统垃圾列表*.txt"
  Delete /REBOOTOK "$INSTDIR\${UNINSTALLER}"
  ; The folder then too, after them; not otherwise, as a folder that still
  ; holds a user's file stays.
  ${If} ${RebootFlag}
    RMDir /REBOOTOK "$INSTDIR"
  ${Else}
    RMDir "$INSTDIR"
  ${EndIf}

  SetShellVarContext all
  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT} 帮助.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\卸载 ${PRODUCT}.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"

  DeleteRegKey HKLM "${UNINSTALL_KEY}"

  ; Restarting is offered, "no" being the default; a silent run does not.
  ${If} ${RebootFlag}
    MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "$(RebootToFinish)" /SD IDNO IDNO +2
    Reboot
  ${EndIf}
SectionEnd
