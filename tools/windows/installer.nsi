; The per-user installer of the Windows build: no administrator rights, into the user's own
; programs folder (so SysCfg.ini, the backups and the journal beside the executable stay
; writable), Start-menu entries, an entry in the list of installed programs, and an uninstaller
; that removes exactly what was installed and leaves the user's own files.
;
; tools/windows/package.sh builds it:
;   makensis -INPUTCHARSET UTF8 -DVERSION=3.68 -DAPPDIR=<packed folder> -DFILES=<files.nsh>
;            -DUNFILES=<unfiles.nsh> -DSIZE_KB=<n> -DOUTFILE=<setup.exe> installer.nsi
;
; Silent: setup.exe /S [/D=C:\path\without\quotes]  and  uninstall.exe /S

Unicode true
; 64-bit like the programs it installs (and Wine runs it without a 32-bit Wine).
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh

!define APP ledcardcfg
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${APP}"

Name "$(AppName)"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${APP}"
; A second install goes where the first one went.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=0 "ProductName" "ledcardcfg"
VIAddVersionKey /LANG=0 "FileDescription" "ledcardcfg ${VERSION} setup"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "CompanyName" "ledcardcfg developers"
VIAddVersionKey /LANG=0 "LegalCopyright" "GPL-3.0-or-later"

!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_LICENSE "${APPDIR}\LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\ledcardcfg.exe"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The installer speaks the language of the user's Windows, one of these three.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "SimpChinese"
!insertmacro MUI_LANGUAGE "TradChinese"

LangString AppName ${LANG_ENGLISH} "LED Card Configuration"
LangString AppName ${LANG_SIMPCHINESE} "显示屏控制卡参数配置"
LangString AppName ${LANG_TRADCHINESE} "顯示屏控制卡參數設定"
LangString CtlPrompt ${LANG_ENGLISH} "ledcardctl command prompt"
LangString CtlPrompt ${LANG_SIMPCHINESE} "ledcardctl 命令提示符"
LangString CtlPrompt ${LANG_TRADCHINESE} "ledcardctl 命令提示字元"
LangString Uninstall ${LANG_ENGLISH} "Uninstall"
LangString Uninstall ${LANG_SIMPCHINESE} "卸载"
LangString Uninstall ${LANG_TRADCHINESE} "解除安裝"
LangString Running ${LANG_ENGLISH} "LED Card Configuration is running. Close it and try again."
LangString Running ${LANG_SIMPCHINESE} "显示屏控制卡参数配置程序正在运行，请关闭后再试。"
LangString Running ${LANG_TRADCHINESE} "顯示屏控制卡參數設定程式正在執行，請關閉後再試。"

; The window holds the named mutex "Tessiva" while it runs: its files cannot be replaced or
; removed then. Silent runs end with exit status 2.
!macro RefuseWhileRunning
    System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "Tessiva") p .r0'
    ${If} $0 P<> 0
        System::Call 'kernel32::CloseHandle(p r0)'
        IfSilent +2
        MessageBox MB_OK|MB_ICONEXCLAMATION "$(Running)"
        SetErrorLevel 2
        Quit
    ${EndIf}
!macroend

Function .onInit
    SetShellVarContext current
    !insertmacro RefuseWhileRunning
FunctionEnd

Function un.onInit
    SetShellVarContext current
    !insertmacro RefuseWhileRunning
    ; The language of the install: its shortcuts are named in it.
    ReadRegDWORD $0 HKCU "${UNINSTALL_KEY}" "InstallerLanguage"
    ${If} $0 != ""
        StrCpy $LANGUAGE $0
    ${EndIf}
FunctionEnd

Section "ledcardcfg"
    !include "${FILES}"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    CreateDirectory "$SMPROGRAMS\${APP}"
    CreateShortcut "$SMPROGRAMS\${APP}\$(AppName).lnk" "$INSTDIR\ledcardcfg.exe"
    ; A command prompt in the program's folder, for ledcardctl and scripts.
    SetOutPath "$INSTDIR"
    CreateShortcut "$SMPROGRAMS\${APP}\$(CtlPrompt).lnk" "$WINDIR\System32\cmd.exe" \
        '/k ledcardctl.exe --help' "$WINDIR\System32\cmd.exe"
    CreateShortcut "$SMPROGRAMS\${APP}\$(Uninstall).lnk" "$INSTDIR\uninstall.exe"

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "$(AppName) (ledcardcfg)"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "ledcardcfg developers"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\ledcardcfg.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    ; The language of this install, for the uninstaller's texts and the shortcuts' names.
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "InstallerLanguage" $LANGUAGE
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Exactly what the section above put there, then the folders if nothing else is in them:
; SysCfg.ini, the backups folder and journal.jsonl stay, and so does the folder holding them.
Section "Uninstall"
    Delete "$SMPROGRAMS\${APP}\$(AppName).lnk"
    Delete "$SMPROGRAMS\${APP}\$(CtlPrompt).lnk"
    Delete "$SMPROGRAMS\${APP}\$(Uninstall).lnk"
    RMDir "$SMPROGRAMS\${APP}"

    !include "${UNFILES}"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"

    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
