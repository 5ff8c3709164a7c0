Dim strExePath, objNetWork, objShell, nReturn
strExePath = """" & "cmd /c \""\" & """" & Replace(WScript.ScriptFullName, WScript.ScriptName, "") & "EraserTool.exe\""\" & """" & """"
Set objNetWork = WScript.CreateObject("WScript.Network")

Set objShell = CreateObject("Wscript.Shell")
Set objProcList_Old = GetObject("winmgmts:").InstancesOf("win32_process")

nReturn = objShell.Run("runas " & "/user:" & objNetWork.UserDomain & "\Administrator" & " " & strExePath,1)
WScript.Sleep 5000
objShell.Sendkeys "Secret1~"
WScript.Sleep 5000

Set objProcList = Nothing
