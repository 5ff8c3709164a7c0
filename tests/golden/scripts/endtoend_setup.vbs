Private Const PROC_QUERY = "select * from Win32_Process where Name='setup.exe'"
Dim objWMI, objProc, nReturn, nCnt
Set WSHShell = Wscript.CreateObject("WScript.Shell")
WSHShell.Run "RunAsWithVB.exe" & " " & Chr(34) & "Administrator" & Chr(34) & " " & Chr(34) & "Se'cret+1 " & Chr(34) & " " & Chr(34) & "%COMPUTERNAME%" & Chr(34) & " " & Chr(34) & "Setup.exe" & Chr(34)
WScript.Sleep 30000
Set objWMI = GetObject("winmgmts:")
nCnt = 0
Do
Set objProc = objWMI.ExecQuery(PROC_QUERY)
WScript.Sleep 2000
nCnt = nCnt + 2
if nCnt >= 180 Then
Exit Do
End if
Loop While objProc.Count > 0
if nCnt < 180 Then
WSHShell.Exec("cmd.exe /C rundll32 printui.dll,PrintUIEntry /y /n " & """" & "Front Desk" & """" )
End if
WScript.Quit 0