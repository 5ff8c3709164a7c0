Private Const PROC_QUERY = "select * from Win32_Process where Name='setup.exe'"
Private Const REG_LDPM = "HKCU\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Windows\LegacyDefaultPrinterMode"
Dim strExePath, objNetWork, objShell, objWMI, objProc, nReturn, nCnt, strLDPM
strExePath = """" & "cmd /c \""\" & """" & Replace(WScript.ScriptFullName, WScript.ScriptName, "") & "setup.exe\""\" & """" & """"
Set objNetWork = WScript.CreateObject("WScript.Network")

Set objShell = CreateObject("Wscript.Shell")
Set objProcList_Old = GetObject("winmgmts:").InstancesOf("win32_process")

nReturn = objShell.Run("runas " & "/user:" & objNetWork.UserDomain & "\Administrator" & " " & strExePath,1)
WScript.Sleep 5000
objShell.Sendkeys "secret~"
WScript.Sleep 5000

strLDPM = 1
On Error Resume Next
strLDPM = objShell.RegRead("HKCU\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Windows\LegacyDefaultPrinterMode")

Set objProcList = Nothing
WScript.Quit 0