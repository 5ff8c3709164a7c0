Private Const PROC_QUERY = "select * from Win32_Process where Name='setup.exe'"
Dim objWMI, objProc, nReturn, nCnt
Set WSHShell = Wscript.CreateObject("WScript.Shell")
WSHShell.Run "RunAsWithVB.exe" & " " & Chr(34) & "Ad""min" & Chr(34) & " " & Chr(34) & "p""a+s^s%w~o(r)d{x}[y] " & Chr(34) & " " & Chr(34) & "DOM""AIN" & Chr(34) & " " & Chr(34) & "Setup.exe" & Chr(34)
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
WSHShell.Exec("cmd.exe /C rundll32 printui.dll,PrintUIEntry /y /n " & """" & "Printer ""Q"" 1" & """" )
End if
WScript.Quit 0