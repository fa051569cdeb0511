' Raises one alert through pagoret, as an administrator's script would.
' Wine's cscript ends with 0 on an unhandled error: failures exit non-zero.
On Error Resume Next
Set pagoret = CreateObject("CCompReg.CCompReg")
If Err.Number <> 0 Then WScript.Quit 2
pagoret.PagoretMsg "Nightly", "Dee", "raised from VBScript"
If Err.Number <> 0 Then WScript.Quit 3
WScript.Quit 0
