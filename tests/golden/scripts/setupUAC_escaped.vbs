Private Const PROC_QUERY = "select * from Win32_Process where Name='setup.exe'"
Private Const REG_LDPM = "HKCU\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Windows\LegacyDefaultPrinterMode"
Dim strExePath, objNetWork, objShell, objWMI, objProc, nReturn, nCnt, strLDPM
strExePath = """" & "cmd /c \""\" & """" & Replace(WScript.ScriptFullName, WScript.ScriptName, "") & "setup.exe\""\" & """" & """"
Set objNetWork = WScript.CreateObject("WScript.Network")

Set objShell = CreateObject("Wscript.Shell")
Set objProcList_Old = GetObject("winmgmts:").InstancesOf("win32_process")

nReturn = objShell.Run("runas " & "/user:" & "DOM""AIN\Ad""min" & " " & strExePath,1)
WScript.Sleep 5000
objShell.Sendkeys "p""a{+}s{^}s{%}w{~}o{(}r{)}d{{}x{}}{[}y{]} ~"
WScript.Sleep 5000

strLDPM = 1
On Error Resume Next
strLDPM = objShell.RegRead("HKCU\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Windows\LegacyDefaultPrinterMode")

Set objProcList = Nothing
If Not (strLDPM = -1 Or strLDPM = 0) Then
WScript.Sleep 1500
Set objWMI = GetObject("winmgmts:")
nCnt = 0
Do
Set objProc = objWMI.ExecQuery(PROC_QUERY)
WScript.Sleep 2000
nCnt = nCnt + 2
if nCnt >= 120 Then
Exit Do
End if
Loop While objProc.Count > 0
if nCnt < 120 Then
objShell.Exec("cmd.exe /C rundll32 printui.dll,PrintUIEntry /y /n " & """" & "Printer ""Q"" 1" & """" )
End if
End if
WScript.Quit 0