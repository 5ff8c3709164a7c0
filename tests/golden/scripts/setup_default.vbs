Private Const PROC_QUERY = "select * from Win32_Process where Name='setup.exe'"
Dim objWMI, objProc, nReturn, nCnt
Set WSHShell = Wscript.CreateObject("WScript.Shell")
WSHShell.Run "RunAsWithVB.exe" & " " & Chr(34) & "Administrator" & Chr(34) & " " & Chr(34) & "secret" & Chr(34) & " " & Chr(34) & "%USERDNSDOMAIN%" & Chr(34) & " " & Chr(34) & "Setup.exe" & Chr(34)
WScript.Sleep 20000
Set objWMI = GetObject("winmgmts:")
nCnt = 0
Do
Set objProc = objWMI.ExecQuery(PROC_QUERY)
WScript.Sleep 2000
nCnt = nCnt + 2
if nCnt >= 540 Then
Exit Do
End if
Loop While objProc.Count > 0
if nCnt < 540 Then
WSHShell.Exec("cmd.exe /C rundll32 printui.dll,PrintUIEntry /y /n " & """" & "Office Printer 2F" & """" )
End if
WScript.Quit 0