Private Const PROC_QUERY = "select * from Win32_Process where Name='setup.exe'"
Dim objWMI, objProc, nReturn, nCnt
Set WSHShell = Wscript.CreateObject("WScript.Shell")
WSHShell.Run "RunAsWithVB.exe" & " " & Chr(34) & "Administrator" & Chr(34) & " " & Chr(34) & "secret" & Chr(34) & " " & Chr(34) & "%USERDNSDOMAIN%" & Chr(34) & " " & Chr(34) & "Setup.exe" & Chr(34)
WScript.Quit 0