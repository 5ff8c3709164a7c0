Dim strExePath, objNetWork, objShell, nReturn
strExePath = """" & "cmd /c \""\" & """" & Replace(WScript.ScriptFullName, WScript.ScriptName, "") & "Tool.v1.2.exe\""\" & """" & """"
Set objNetWork = WScript.CreateObject("WScript.Network")

Set objShell = CreateObject("Wscript.Shell")
Set objProcList_Old = GetObject("winmgmts:").InstancesOf("win32_process")

nReturn = objShell.Run("runas " & "/user:" & "EX""AMPLE\Ad""min" & " " & strExePath,1)
WScript.Sleep 5000
objShell.Sendkeys "p""w{~}1{%}~"
WScript.Sleep 5000

Set objProcList = Nothing
